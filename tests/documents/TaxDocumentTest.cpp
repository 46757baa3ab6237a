// The cash tax document of a small agenda: whole pages and the VAT recapitulation,
// against pages written down here.
#include <gtest/gtest.h>

#include "documents/Documents.h"
#include "documents/SampleAgenda.h"
#include "support/MessageBoxRecorder.h"
#include "support/TempFile.h"

namespace {

const std::string kScrew = "Šroub vrut 4x40 zápustný, pozinkovaný, balení 100 ks";  // 52 characters
const std::string kScrewCatalogue = "ŠV-440/ZP-100-POZINK-BAL-00001";          // 30 characters

dbf::Value Money(long long tenThousandths)
{
    return dbf::Value::Currency(tenThousandths);
}

DocRecord CashSale(long id, const std::string& number)
{
    DocRecord d = Document("P", id, number, "Jiří Dvořák", "Údolní 15", "251 01", "Říčany");
    d.datum = dbf::Value::Date(2026, 12, 7);
    return d;
}

// One item row: name, catalogue, quantity, unit, price, rate, net, gross as printed.
std::string Row(const std::string& name, const std::string& catalogue, const char* q, const char* unit,
                const char* p, const char* r, const char* net, const char* gross)
{
    return Left(name, 40) + Left(catalogue, 29) + Right(q, 12) + Right(unit, 10) + Right(p, 12) + Right(r, 10) +
           Right(net, 12) + Right(gross, 12);
}

class TaxDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseSeller(config, {"Kovářství Šťastný", "Husova 1", "286 01", "Čáslav", "", "", "87654321", "CZ87654321",
                           "OR Praha, oddíl A, vložka 7"});
        config.Port = port.Path();
        agenda.Configure(config);
        agenda.WriteCards({{101, "Balení po 100 kusech"}, {102, "Do betonu i cihly"}});
    }

    PrintOutcome Print(long docId)
    {
        DeleteFileA(port.Path().c_str());  // the port is opened without truncation
        return PrintDocument(config, docId);
    }

    // From the title to the rule under the column heading.
    static void Top(ExpectedPage& page, const std::string& title)
    {
        page.Open().Mode(kEscpDoubleWidth).Line(title).Mode(0).Line(Rule(80));
        page.Mode(kEscpEmphasized | kEscpDoubleStrike).Line(Left("Dodavatel:", 40) + Left("Odběratel:", 40));
        page.Mode(kEscpDoubleStrike)
            .Line(Left("Kovářství Šťastný", 40) + Left("Jiří Dvořák", 40))
            .Line(Left("Husova 1", 40) + Left("Údolní 15", 40))
            .Line(Left("286 01 Čáslav", 40) + Left("251 01 Říčany", 40))
            .Line("Tel: " + Spaces(35))
            .Line("Fax: " + Spaces(35))
            .Line("IČO: " + Left("87654321", 35) + "IČO: " + Spaces(35))
            .Line("DIČ: " + Left("CZ87654321", 35) + "DIČ: " + Spaces(35))
            .Line("Reg. č.: OR Praha, oddíl A, vložka 7")
            .Line(Rule(80))
            .Line("Datum vystavení: 07.12.2026 Datum zdanitelného plnění: 07.12.2026")
            .Line(Rule(80))
            .Blank();
        page.Mode(kEscpCondensed | kEscpDoubleStrike)
            .Line(Left("Označení dodávky", 40) + Left("Katalogové označení", 29) + Right("Počet M.J.", 12) +
                  Right("M.J.", 10) + Right("Cena/M.J.", 12) + Right("DPH %", 10) + Right("bez DPH", 12) +
                  Right("s DPH", 12))
            .Line(Rule(137));
    }

    // From the rule under the items to the form feed: the discount, the recapitulation's
    // base, VAT and sum for 0 %, 5 %, 22 % and in all, the total due, who printed it.
    static void Bottom(ExpectedPage& page, const std::string& discount, const std::string (&recap)[4],
                       const std::string& due, const std::string& printedBy)
    {
        page.Line(Rule(137))
            .Line("Smluvní strany se dohodly: daňový doklad slouží zároveň jako dodací list")
            .Mode(kEscpDoubleStrike)
            .Blank()
            .Text("Sleva % " + discount)
            .Line(Spaces(38) + "Základ    Výše DPH  Včetně DPH")
            .Line(Spaces(14) + Rule(66))
            .Line(Spaces(14) + "Nulová sazba DPH              " + recap[0])
            .Line(Spaces(14) + "Snížená sazba DPH %   5%      " + recap[1])
            .Line(Spaces(14) + "Základní sazba DPH % 22%      " + recap[2])
            .Line(Spaces(14) + Rule(66))
            .Line(Spaces(14) + "Celkem                        " + recap[3])
            .Blank()
            .Mode(kEscpEmphasized | kEscpDoubleStrike)
            .Line(Spaces(14) + "Cena celkem s DPH:" + Spaces(36) + due)
            .Mode(kEscpDoubleStrike)
            .Blank(2)
            .Line("Vytiskl (a): " + printedBy + Today())
            .FormFeed();
    }

    SampleAgenda agenda;
    AgendaConfig config;
    TempFile port{"prn"};
    MessageBoxRecorder boxes;
};

TEST_F(TaxDocumentTest, PrintsTheWholePage)
{
    DocRecord doc = CashSale(12, "P2026-0000000000012");  // 19 characters: the title keeps 15
    doc.zaklad0 = Money(1000000);
    doc.zaklad5 = Money(10000);
    doc.dph5 = Money(500);
    doc.zaklad22 = Money(1899800);
    doc.dph22 = Money(418000);
    doc.celkem = Money(3328300);
    agenda.WriteDocuments({CashSale(11, "P11"), doc, CashSale(13, "P13")});
    agenda.WriteItems({
        Item("S", 12, kScrew, kScrewCatalogue, Money(20000), "bal", 101, Money(999900), Money(220000)),
        Item("S", 11, "Jiný doklad", "X", Money(10000), "ks", 101, Money(10000), Money(220000)),
        Item("S", 12, "Hmoždinka 6 mm", "HM-6", Money(30000), "ks", 102, Money(3333), Money(50000)),
        Item("s", 12, "Malé s", "X", Money(10000), "ks", 101, Money(10000), Money(220000)),
        Item("S", 12, "Vratka palety", "VP", Money(-10000), "ks", 999, Money(100000), Money(220000)),
        Item("S", 13, "Další doklad", "X", Money(10000), "ks", 101, Money(10000), Money(220000)),
        Item("S", 12, "Podložka", "PD", Money(10000), "ks", 0, Money(1250), Money(0)),
        Item("S", 12, "Podložka vrácená", "PD", Money(-10000), "ks", 0, Money(1250), Money(0)),
        Item("S", 12, "Bez množství", "BM", dbf::Value::Blank(), "ks", 0, Money(50000), Money(220000)),
        Item("S", 12, "Bez ceny", "BC", Money(10000), "ks", 0, dbf::Value::Blank(), Money(220000)),
        Item("S", 12, "Bez sazby", "BS", Money(20000), "ks", 0, Money(15000), dbf::Value::Blank()),
    });

    Print(12);

    ExpectedPage page;
    Top(page, "DAŇOVÝ DOKLAD - za hotové" + std::string("P2026-000000000"));
    page.Line(Row(kScrew, kScrewCatalogue, "2,00", "bal", "99,99", "22,00", "199,98", "243,98"))
        .Line("   Balení po 100 kusech")
        .Line(Row("Hmoždinka 6 mm", "HM-6", "3,00", "ks", "0,33", "5,00", "1,00", "1,05"))
        .Line("   Do betonu i cihly")
        .Line(Row("Vratka palety", "VP", "-1,00", "ks", "10,00", "22,00", "-10,00", "-12,20"))
        .Line("   ")
        .Line(Row("Podložka", "PD", "1,00", "ks", "0,13", "0,00", "0,13", "0,13"))
        .Line("   ")
        .Line(Row("Podložka vrácená", "PD", "-1,00", "ks", "0,13", "0,00", "-0,13", "-0,13"))
        .Line("   ")
        .Line(Row("Bez množství", "BM", "-", "ks", "5,00", "22,00", "0,00", "0,00"))
        .Line("   ")
        .Line(Row("Bez ceny", "BC", "1,00", "ks", "-", "22,00", "0,00", "0,00"))
        .Line("   ")
        .Line(Row("Bez sazby", "BS", "2,00", "ks", "1,50", "-", "3,00", "0,00"))
        .Line("   ");
    Bottom(page, "0,00",
           {"      100,00        0,00      100,00", "        1,00        0,05        1,05",
            "      189,98       41,80      231,78", "      290,98       41,85      332,83"},
           "      332,83", "");

    EXPECT_TRUE(page.Bytes() == port.Read()) << PageDiff(page.Bytes(), port.Read());
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ("P2026-0000000000012", CurrentDocNumber);
}

TEST_F(TaxDocumentTest, ZeroRateSaleWithoutSalesRows)
{
    DocRecord doc = CashSale(14, "P2026/0014");  // 10 characters: five spaces before it
    doc.sleva = Money(50000);
    doc.zaklad0 = Money(1000000);
    doc.celkem = Money(1000000);
    doc.vystavil = "Karel Čapek";
    agenda.WriteDocuments({doc});
    agenda.WriteItems({Item("s", 14, "Malé s", "X", Money(10000), "ks", 101, Money(10000), Money(0))});

    Print(14);

    ExpectedPage page;
    Top(page, "DAŇOVÝ DOKLAD - za hotové" + Spaces(5) + "P2026/0014");
    Bottom(page, "5,00",
           {"      100,00        0,00      100,00", "        0,00        0,00        0,00",
            "        0,00        0,00        0,00", "      100,00        0,00      100,00"},
           "      100,00", "Karel Čapek, ");

    EXPECT_TRUE(page.Bytes() == port.Read()) << PageDiff(page.Bytes(), port.Read());
}

// The recapitulation's rows from the header fields: an unreadable amount prints "-" and
// so does every sum it enters; a text wider than its column widens the row.
TEST_F(TaxDocumentTest, RecapitulationCarriesUnreadableAmountsAndWideValues)
{
    struct Case {
        const char* what;
        dbf::Value zaklad5, dph5, zaklad22, dph22, celkem;
        std::vector<std::string> lines;  // from the heading to the total line
    };
    const dbf::Value blank = dbf::Value::Blank();
    const Case cases[] = {
        {"unreadable DPH5",
         Money(100000), blank, Money(1000000), Money(220000), Money(1325000),
         {Spaces(14) + "Nulová sazba DPH              " + "        0,00" + "        0,00" + "        0,00",
          Spaces(14) + "Snížená sazba DPH %   5%      " + "       10,00" + "           -" + "           -",
          Spaces(14) + "Základní sazba DPH % 22%      " + "      100,00" + "       22,00" + "      122,00",
          Spaces(14) + Rule(66),
          Spaces(14) + "Celkem                        " + "      110,00" + "           -" + "           -",
          "",
          Spaces(14) + "Cena celkem s DPH:" + Spaces(36) + "      132,50"}},
        {"unreadable total",
         Money(0), Money(0), Money(10000), Money(2200), blank,
         {Spaces(14) + "Nulová sazba DPH              " + "        0,00" + "        0,00" + "        0,00",
          Spaces(14) + "Snížená sazba DPH %   5%      " + "        0,00" + "        0,00" + "        0,00",
          Spaces(14) + "Základní sazba DPH % 22%      " + "        1,00" + "        0,22" + "        1,22",
          Spaces(14) + Rule(66),
          Spaces(14) + "Celkem                        " + "        1,00" + "        0,22" + "        1,22",
          "",
          Spaces(14) + "Cena celkem s DPH:" + Spaces(36) + "           -"}},
        {"a billion",
         Money(0), Money(0), Money(10000000000000LL), Money(0), Money(10000000000000LL),
         {Spaces(14) + "Nulová sazba DPH              " + "        0,00" + "        0,00" + "        0,00",
          Spaces(14) + "Snížená sazba DPH %   5%      " + "        0,00" + "        0,00" + "        0,00",
          Spaces(12) + "Základní sazba DPH % 22%      " + "1000000000,00" + "        0,00" + "1000000000,00",
          Spaces(14) + Rule(66),
          Spaces(12) + "Celkem                        " + "1000000000,00" + "        0,00" + "1000000000,00",
          "",
          Spaces(13) + "Cena celkem s DPH:" + Spaces(36) + "1000000000,00"}},
    };
    agenda.WriteItems({});
    for (const Case& c : cases) {
        DocRecord doc = CashSale(20, "P20");
        doc.zaklad5 = c.zaklad5;
        doc.dph5 = c.dph5;
        doc.zaklad22 = c.zaklad22;
        doc.dph22 = c.dph22;
        doc.celkem = c.celkem;
        agenda.WriteDocuments({doc});
        Print(20);

        std::string block = To852(Spaces(14) + Rule(66) + "\r\n");
        for (size_t i = 0; i < c.lines.size(); ++i) {
            if (i == 6)
                block += "\x1B!\x18";
            block += To852(c.lines[i]) + "\r\n";
        }
        block += "\x1B!\x10\r\n\r\n";
        const std::string actual = port.Read();
        EXPECT_NE(std::string::npos, actual.find(block)) << c.what << "\n" << PageDiff(block, actual);
    }
}

TEST_F(TaxDocumentTest, PortThatCannotBeOpenedPrintsNothing)
{
    agenda.WriteDocuments({CashSale(12, "P12")});
    agenda.WriteItems({});
    config.Port = agenda.YearDir() + "no such folder\\port.prn";
    EXPECT_EQ(PrintOutcome::Failed, Print(12));

    ASSERT_EQ(1u, boxes.Shown().size());
    const std::string head = "Tisk se nepodařil: port '" + config.Port + "' nelze otevřít, nic nebylo vytištěno.\n\n";
    EXPECT_EQ(head, boxes.Shown()[0].text.substr(0, head.size()));
    EXPECT_GT(boxes.Shown()[0].text.size(), head.size());
    EXPECT_EQ(UINT(MB_OK | MB_ICONERROR), boxes.Shown()[0].flags);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(config.Port.c_str()));
}

}  // namespace
