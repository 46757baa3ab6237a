// The delivery note of a small agenda, page by page, against pages written down here.
#include <gtest/gtest.h>

#include <cstdlib>

#include "documents/Documents.h"
#include "documents/SampleAgenda.h"
#include "support/MessageBoxRecorder.h"
#include "support/TempFile.h"

namespace {

// The registration text breaks at its spaces 29 and 67: neither 30, 31, 68 nor 69 is one.
const std::string kRegA = "Zapsáno v obchodním rejstříku";          // 0-28
const std::string kRegB = "vedeném Krajským soudem v Brně, oddíl";  // 30-66
const std::string kRegC = "C, vložka 1234";                         // 68-81
const std::string kBuyer41 = "Zemědělské obchodní družstvo Žďár, a.s. 5";
const std::string kCement = "Cement portlandský CEM II 32,5 R, pytel 25 kg, paleta 40 ks";

const Seller kSeller = {"Železářství Čermák s.r.o.", "Náměstí Míru 12", "674 01", "Třebíč", "568 841 111",
                        "568 841 112", "25341111", "CZ25341111", kRegA + " " + kRegB + " " + kRegC};

DocRecord DeliveryNote7()
{
    DocRecord d = Document("D", 7, "DL2026/00007", kBuyer41, "Kostelní 8", "591 01", "Žďár nad Sázavou");
    d.ico = "00123456";
    d.dic = "CZ00123456";
    d.prijemce = "Šárka Ďurišová";
    d.datum = dbf::Value::Date(2026, 3, 1);
    d.vystavil = "Věra Šťastná";
    return d;
}

dbf::Value Units(long long tenThousandths)
{
    return dbf::Value::Currency(tenThousandths);
}

class DeliveryNoteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseSeller(config, kSeller);
        config.Port = port.Path();
        agenda.Configure(config);
        DocRecord other = DeliveryNote7();
        other.id = 5;
        other.cislo = "DL2026/00005";
        DocRecord later = DeliveryNote7();
        later.id = 9;
        later.cislo = "DL2026/00009";
        agenda.WriteDocuments({other, DeliveryNote7(), later});
        // In the file the note's rows lie among other documents' rows and rows that are
        // not sales ("s", " S", "P").
        items = {Item("S", 7, kCement, "CEM-II/32,5R", Units(25000), "pytel", 101),
                 Item("S", 5, "Písek praný", "PS-01", Units(10000), "t", 101),
                 Item("s", 7, "Řádek malým s", "X", Units(10000), "ks", 101),
                 Item("S", 7, "Vápno hašené", "VH-10", dbf::Value::Blank(), "kg", 102),
                 Item("S", 9, "Cihla plná", "CP-29", Units(10000), "ks", 101),
                 Item(" S", 7, "Mezera před S", "X", Units(10000), "ks", 101),
                 Item("S", 7, "Dlažba betonová (vratka)", "DB-20x20", Units(-10000), "m2", 999),
                 Item("P", 7, "Typ P", "X", Units(10000), "ks", 101),
                 Item("S", 3, "Štěrk", "ST-8", Units(10000), "t", 101)};
        agenda.WriteItems(items);
        agenda.WriteCards({{101, "Skladovat v suchu, chránit před mrazem"},
                           {102, "Žíravina, používejte ochranné brýle"}});
    }

    // The page of note 7, with its recipient, from the rule under the title to the rule
    // under the date.
    static void PartyBlock(ExpectedPage& page, const std::string& recipient = "Šárka Ďurišová")
    {
        page.Mode(kEscpEmphasized | kEscpDoubleStrike).Line(Left("Prodávající:", 40) + Left("Kupující:", 40));
        page.Mode(kEscpDoubleStrike)
            .Line(Left("Železářství Čermák s.r.o.", 40) + kBuyer41.substr(0, 40))
            .Line(Left("Náměstí Míru 12", 40) + Left("Kostelní 8", 40))
            .Line(Left("674 01 Třebíč", 40) + Left("591 01 Žďár nad Sázavou", 40))
            .Line("Tel: " + Left("568 841 111", 35))
            .Line("Fax: " + Left("568 841 112", 35))
            .Line("IČO: " + Left("25341111", 35) + "IČO: " + Left("00123456", 35))
            .Line("DIČ: " + Left("CZ25341111", 35) + "DIČ: " + Left("CZ00123456", 35))
            .Line("Příjemce: " + Left(recipient, 30))
            .Line("Reg. č.: " + kRegA)
            .Line(" " + kRegB)
            .Line(" " + kRegC)
            .Line(Rule(80))
            .Line("Datum vystavení: 01.03.2026")
            .Line(Rule(80))
            .Blank();
    }

    static std::string ItemHeading()
    {
        return Left("Označení dodávky", 50) + Left("Katalogové označení", 29) + Right("Počet M.J.", 12) +
               Right("M.J.", 10);
    }

    static void Closing(ExpectedPage& page, const std::string& printedBy)
    {
        page.Line(Rule(137)).Mode(kEscpDoubleStrike).Blank(3);
        page.Mode(kEscpEmphasized | kEscpDoubleStrike)
            .Line(Spaces(16) + "Tento dodací list slouží zároveň jako vážní list")
            .Mode(kEscpDoubleStrike);
        page.Blank(2)
            .Line(Right("Předal", 20) + " ..................." + Right("Jméno příjemce", 20) + " ...................")
            .Blank()
            .Line(Right("Datum převzetí zboží", 20) + " ..................." + Right("Identifikace", 20) +
                  " ...................")
            .Blank()
            .Line(Spaces(54) + "Podpis ...................")
            .Blank(2)
            .Line("Vytiskl (a): " + printedBy + Today())
            .FormFeed();
    }

    PrintOutcome Print(long docId)
    {
        DeleteFileA(port.Path().c_str());  // the port is opened without truncation
        return PrintDocument(config, docId);
    }

    SampleAgenda agenda;
    AgendaConfig config;
    TempFile port{"prn"};
    MessageBoxRecorder boxes;
    std::vector<ItemRecord> items;
};

TEST_F(DeliveryNoteTest, PrintsTheWholePage)
{
    Print(7);

    ExpectedPage page;
    page.Open()
        .Mode(kEscpDoubleWidth)
        .Line("DODACÍ LIST" + Spaces(9) + Spaces(8) + "DL2026/00007")
        .Mode(0)
        .Line(Rule(80));
    PartyBlock(page);
    page.Mode(kEscpCondensed | kEscpDoubleStrike)
        .Line(ItemHeading())
        .Line(Rule(137))
        .Line(kCement.substr(0, 50) + Left("CEM-II/32,5R", 29) + Right("2,50", 12) + Right("pytel", 10))
        .Line("   Skladovat v suchu, chránit před mrazem")
        .Line(Left("Vápno hašené", 50) + Left("VH-10", 29) + Right("-", 12) + Right("kg", 10))
        .Line("   Žíravina, používejte ochranné brýle")
        .Line(Left("Dlažba betonová (vratka)", 50) + Left("DB-20x20", 29) + Right("-1,00", 12) + Right("m2", 10))
        .Line("   ");
    Closing(page, "Věra Šťastná, ");

    EXPECT_TRUE(page.Bytes() == port.Read()) << PageDiff(page.Bytes(), port.Read());
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ("DL2026/00007", CurrentDocNumber);
    // The stock-card table is closed: nothing holds its file.
    EXPECT_TRUE(DeleteFileA((agenda.AgendaDir() + "SkSezZas.dbf").c_str())) << GetLastError();
}

TEST_F(DeliveryNoteTest, NoteWithoutSalesRowsPrintsTwoRulesTogether)
{
    // Note 5's only row is a sale, but the table is rewritten without it.
    std::vector<ItemRecord> noSales;
    for (const ItemRecord& i : items)
        if (i.docId != 5)
            noSales.push_back(i);
    agenda.WriteItems(noSales);
    DocRecord five = DeliveryNote7();
    five.id = 5;
    five.cislo = "DL2026/000000000000000000005";  // 28 characters: the title keeps 20
    five.prijemce = "";
    five.vystavil = "";
    agenda.WriteDocuments({five, DeliveryNote7()});

    Print(5);

    ExpectedPage page;
    page.Open().Mode(kEscpDoubleWidth).Line("DODACÍ LIST" + Spaces(9) + "DL2026/0000000000000").Mode(0).Line(Rule(80));
    PartyBlock(page, "");
    page.Mode(kEscpCondensed | kEscpDoubleStrike).Line(ItemHeading()).Line(Rule(137));
    Closing(page, "");

    EXPECT_TRUE(page.Bytes() == port.Read()) << PageDiff(page.Bytes(), port.Read());
}

// The seller's registration text as it comes out under the party block.
TEST_F(DeliveryNoteTest, RegistrationTextIsWrappedBeforeSpacesAndInsideLongRuns)
{
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const std::string run100(100, 'R');
    const Case cases[] = {
        {"", {"Reg. č.: "}},
        {"Krajský soud v Brně, C 1234", {"Reg. č.: Krajský soud v Brně, C 1234"}},
        {kRegA + " " + kRegB + " " + kRegC, {"Reg. č.: " + kRegA, " " + kRegB, " " + kRegC}},
        // A run without a space is broken at the window's width; nothing is lost.
        {run100, {"Reg. č.: " + run100.substr(0, 31), run100.substr(31, 40), run100.substr(71)}},
        {std::string(35, 'A') + " BBB", {"Reg. č.: " + std::string(31, 'A'), "AAAA BBB"}},
    };
    for (const Case& c : cases) {
        config.RegCislo = c.text;
        Print(7);
        std::string block = To852("DIČ: " + Left("CZ25341111", 35) + "DIČ: " + Left("CZ00123456", 35) + "\r\n" +
                                  "Příjemce: " + Left("Šárka Ďurišová", 30) + "\r\n");
        for (const std::string& line : c.lines)
            block += To852(line) + "\r\n";
        block += Rule(80) + "\r\n" + To852("Datum vystavení: ");
        const std::string actual = port.Read();
        EXPECT_NE(std::string::npos, actual.find(block)) << "registration text '" << c.text << "'\n"
                                                         << PageDiff(block, actual);
        EXPECT_EQ('\f', actual.back());
    }
}

// Text typed into the host holds letters PC852 has at other codes, characters it lacks,
// and control bytes; each prints as one byte in its column, and none as a printer command.
TEST_F(DeliveryNoteTest, HostTextPrintsAsItselfAndNeverAsPrinterCommands)
{
    DocRecord note = DeliveryNote7();
    note.nazev = "Ľubomír Müller – „Kvety“";
    note.ulice = "Nám. SNP 5\t× 7";
    note.prijemce = "Ľ. Müller\r\nESC\x1B@";
    agenda.WriteDocuments({note});
    agenda.WriteItems({Item("S", 7, "Lepidlo 5–25 °C, § 12 ±1…", "ľ-ô™ ©®", Units(10000), "µm", 103)});
    agenda.WriteCards({{103, "Pozor:\r\nESC\x1B@ reset ‰ \x81 ‘ok’"}});

    Print(7);

    // Written down in PC852: Ľ 95, í A1, ü 81, á A0, × 9E, ° F8, § F5, ľ 96, ô 93.
    const std::string buyer = To852(Left("Železářství Čermák s.r.o.", 40)) +
                              Left("\x95ubom\xA1r M\x81ller - \"Kvety\"", 40) + "\r\n" +
                              To852(Left("Náměstí Míru 12", 40)) + Left("N\xA0m. SNP 5 \x9E 7", 40) + "\r\n";
    const std::string recipient = To852("Příjemce: ") + Left("\x95. M\x81ller  ESC @", 30) + "\r\n";
    const std::string rows = Rule(137) + "\r\n" + Left("Lepidlo 5-25 \xF8" "C, \xF5 12 +1.", 50) +
                             Left("\x96-\x93T CR", 29) + Right("1,00", 12) + Right("um", 10) + "\r\n" +
                             "   Pozor:  ESC @ reset % ? 'ok'\r\n" + Rule(137) + "\r\n";
    const std::string actual = port.Read();
    for (const std::string& block : {buyer, recipient, rows})
        EXPECT_NE(std::string::npos, actual.find(block)) << PageDiff(block, actual);
    EXPECT_EQ(std::string::npos, actual.find("\x1B@", 2));
    EXPECT_EQ('\f', actual.back());
}

// ctest runs the test above once more under a locale whose ANSI code page is not 1250;
// this says which code page each run really had.
TEST(AnsiCodePage, IsTheOneTheRunAskedFor)
{
    const char* wanted = std::getenv("QUILLET_ANSI_CODE_PAGE");
    EXPECT_EQ(wanted ? std::atoi(wanted) : 1250, int(GetACP()));
}

TEST_F(DeliveryNoteTest, PortThatCannotBeOpenedPrintsNothing)
{
    // The port is there but held by someone else.
    HANDLE held = CreateFileA(port.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(PrintOutcome::Failed, Print(7));
    CloseHandle(held);

    ASSERT_EQ(1u, boxes.Shown().size());
    const std::string head = "Tisk se nepodařil: port '" + port.Path() + "' nelze otevřít, nic nebylo vytištěno.\n\n";
    EXPECT_EQ(head, boxes.Shown()[0].text.substr(0, head.size()));
    EXPECT_GT(boxes.Shown()[0].text.size(), head.size());  // and the system's reason
    EXPECT_EQ(UINT(MB_OK | MB_ICONERROR), boxes.Shown()[0].flags);
    EXPECT_EQ("", port.Read());
}

TEST_F(DeliveryNoteTest, MissingStockCardTableIsReportedAndTheNoteStillPrinted)
{
    DeleteFileA((agenda.AgendaDir() + "SkSezZas.dbf").c_str());
    Print(7);

    ASSERT_EQ(1u, boxes.Shown().size());
    EXPECT_EQ("Nemohu otevřít 'Kmenovou Kartu'!\n[" + agenda.AgendaDir() + "SkSezZas]", boxes.Shown()[0].text);
    EXPECT_EQ(UINT(MB_OK), boxes.Shown()[0].flags);
    const std::string rows =
        To852(kCement.substr(0, 50) + Left("CEM-II/32,5R", 29) + Right("2,50", 12) + Right("pytel", 10) + "\r\n" +
              "   \r\n" + Left("Vápno hašené", 50) + Left("VH-10", 29) + Right("-", 12) + Right("kg", 10) +
              "\r\n   \r\n");
    const std::string actual = port.Read();
    EXPECT_NE(std::string::npos, actual.find(rows)) << PageDiff(rows, actual);
    EXPECT_EQ('\f', actual.back());

    // Once the table is there again, the notes come back.
    agenda.WriteCards({{101, "Skladovat v suchu, chránit před mrazem"}});
    boxes.Clear();
    Print(7);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_NE(std::string::npos, port.Read().find(To852("   Skladovat v suchu, chránit před mrazem\r\n")));
}

TEST_F(DeliveryNoteTest, HostErrorMidwaySendsNothing)
{
    agenda.WriteItems(items, false);  // no "CKmenKarty": the first note cannot be read
    EXPECT_EQ(PrintOutcome::Failed, Print(7));
    ASSERT_EQ(1u, boxes.Shown().size());
    EXPECT_EQ("Nastala chyba při přístupu k datům\n\n:Field 'CKmenKarty' not found in table " + agenda.YearDir() +
                  "SkSezPol",
              boxes.Shown()[0].text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(port.Path().c_str()));

    // The failed print has let its stock-card table go: the file can be written anew,
    // and the next print reads it.
    EXPECT_TRUE(DeleteFileA((agenda.AgendaDir() + "SkSezZas.dbf").c_str())) << GetLastError();
    agenda.WriteCards({{101, "Znovu zapsaná karta"}});
    agenda.WriteItems(items);
    Print(7);
    EXPECT_NE(std::string::npos, port.Read().find(To852("   Znovu zapsaná karta\r\n")));
    EXPECT_EQ('\f', port.Read().back());
}

}  // namespace
