// Sample material for the host generator, as a Czech hardware and household shop of 2003
// would have it (VAT rates 0, 5 and 22 %).
#include "SampleData.h"

namespace samplehost {
namespace {

// A price in hellers (hundredths) as ten-thousandths.
constexpr std::int64_t Kc(std::int64_t hellers) { return hellers * 100; }

}  // namespace

const Goods kGoods[] = {
    {"Šroubovák křížový PH2", "NAR-", "ks", Kc(8990), 22, 0},
    {"Kladivo zámečnické 500 g", "NAR-", "ks", Kc(18900), 22, 0},
    {"Kleště kombinované 180 mm", "NAR-", "ks", Kc(24950), 22, 0},
    {"Pilka na železo", "NAR-", "ks", Kc(15900), 22, 0},
    {"Vrut do dřeva 4×40, pozinkovaný", "SPJ-", "ks", 3333, 22, 0},
    {"Hřebík stavební 80 mm", "SPJ-", "kg", Kc(4450), 22, 3},
    {"Hmoždinka 8 mm", "SPJ-", "bal", Kc(3900), 22, 0},
    {"Řetěz pozinkovaný 5 mm", "ZEL-", "m", Kc(4890), 22, 2},
    {"Lano konopné 10 mm", "ZEL-", "m", Kc(2150), 22, 2},
    {"Drát vázací žíhaný 1,4 mm", "ZEL-", "kg", Kc(3990), 22, 3},
    {"Barva syntetická bílá 0,75 l", "BAR-", "ks", Kc(12990), 22, 0},
    {"Ředidlo S 6006, 0,7 l", "BAR-", "ks", Kc(4990), 22, 0},
    {"Štětec plochý 50 mm", "BAR-", "ks", Kc(2490), 22, 0},
    {"Malířský váleček s držákem", "BAR-", "ks", Kc(9900), 22, 0},
    {"Sádra šedá 1 kg", "STA-", "ks", Kc(1790), 22, 0},
    {"Cement portlandský 25 kg", "STA-", "ks", Kc(10900), 22, 0},
    {"Žárovka 60 W E27", "ELE-", "ks", Kc(1290), 22, 0},
    {"Prodlužovací kabel 5 m, 3 zásuvky", "ELE-", "ks", Kc(18990), 22, 0},
    {"Baterie alkalická AA, 4 kusy", "ELE-", "bal", Kc(8990), 22, 0},
    {"Kbelík plastový 10 l", "DOM-", "ks", Kc(4900), 22, 0},
    {"Smeták s násadou", "DOM-", "ks", Kc(11990), 22, 0},
    {"Hrnec smaltovaný 3 l", "DOM-", "ks", Kc(34900), 22, 0},
    {"Hadice zahradní 1/2\", 25 m", "ZAH-", "ks", Kc(44900), 22, 0},
    {"Rýč s násadou", "ZAH-", "ks", Kc(29900), 22, 0},
    {"Semena mrkve, sáček", "ZAH-", "ks", Kc(1490), 5, 0},
    {"Substrát zahradnický 50 l", "ZAH-", "ks", Kc(8990), 5, 0},
    {"Hnojivo univerzální 1 kg", "ZAH-", "kg", Kc(3490), 5, 3},
    {"Krmivo pro nosnice 25 kg", "ZAH-", "ks", Kc(26900), 5, 0},
    {"Kniha Domácí kutil", "KNI-", "ks", Kc(19900), 5, 0},
    {"Příručka Zahrada v každém ročním období", "KNI-", "ks", Kc(24900), 5, 0},
    {"Akumulátorová vrtačka s příklepem 18 V, dva akumulátory, nabíječka a kufr", "NAR-", "ks",
     Kc(389000), 22, 0},
    {"Montáž poličky u zákazníka", "SLU-", "hod", Kc(25000), 0, 1},
    {"Broušení nožů a nůžek", "SLU-", "ks", Kc(4000), 0, 0},
    {"Řezání skla na míru", "SLU-", "m2", Kc(12000), 0, 2},
};
const int kGoodsCount = sizeof kGoods / sizeof kGoods[0];

const Customer kCustomers[] = {
    {"Stavebniny Dvořák s.r.o.", "Průmyslová 1472", "České Budějovice", "370 01", "25184822", "Pavel Dvořák"},
    {"Zahradnictví Růžička", "Zahradní 15", "Týn nad Vltavou", "375 01", "45021387", "Marie Růžičková"},
    {"Obecní úřad Lhenice", "Náměstí 22", "Lhenice", "384 02", "00250481", "Ing. Jiří Šťastný"},
    {"Truhlářství Kořínek", "Na Výsluní 318", "Třeboň", "379 01", "62510974", "Josef Kořínek"},
    {"ŽELEZNÝ KŮŇ, a.s.", "Pražská třída 2017/36", "Praha 4 - Nusle", "140 00", "26745631", "Lucie Černá"},
    {"Údržba domů Šimek", "Husova 7", "Písek", "397 01", "71234508", "Tomáš Šimek"},
    {"Mateřská škola Sluníčko", "Školní 514", "Vodňany", "389 01", "70981245", "Hana Procházková"},
    {"Autoservis Müller & syn", "Lidická 2211", "Tábor", "390 02", "49053117", "Karel Müller"},
    {"Jan Novák", "U Trati 9", "Hluboká nad Vltavou", "373 41", "", "Jan Novák"},
    {"Věra Nováčková", "Čechova 1188", "Strakonice", "386 01", "", "Věra Nováčková"},
    {"Ovocné sady Hořejší s.r.o.", "Sadová 3", "Bechyně", "391 65", "60827194", "Zdeněk Hořejší"},
    {"Tělovýchovná jednota Sokol Ledenice", "Sokolská 145", "Ledenice", "373 11", "00528226", "Oldřich Bláha"},
};
const int kCustomersCount = sizeof kCustomers / sizeof kCustomers[0];

const char* const kClerks[] = {"Jana Kučerová", "Petr Sýkora", "Bohumila Žáková"};
const int kClerksCount = sizeof kClerks / sizeof kClerks[0];

// About a third of the cards have no note.
const char* const kCardNotes[] = {
    "",
    "Skladem v regálu B3",
    "",
    "Záruka 24 měsíců",
    "Dovoz z Rakouska, návod v češtině přiložen",
    "",
    "Nebezpečná látka - skladovat odděleně",
    "Prodej jen po celých baleních",
    "",
    "Doprodej, nepřiobjednávat",
    "Výrobce: Železárny Hrádek, a.s.",
    "",
    "Chraňte před mrazem",
    "Cena za 1 m2, minimální odběr 0,5 m2",
};
const int kCardNotesCount = sizeof kCardNotes / sizeof kCardNotes[0];

// Rows of a document that are not stock items: text lines the host keeps among the items.
const char* const kTextRows[] = {
    "Doprava zdarma",
    "Zboží převzato bez výhrad",
    "Záruční list přiložen",
    "Vratný obal - paleta",
    "Objednávka č. 2003/118 ze dne 14.3.2003",
};
const int kTextRowsCount = sizeof kTextRows / sizeof kTextRows[0];

// Further cards of the same goods beyond the first of each.
const char* const kVariants[] = {"", " - zelená", " - modrá", " - velké balení", " - akce", " - II. jakost"};
const int kVariantsCount = sizeof kVariants / sizeof kVariants[0];

}  // namespace samplehost
