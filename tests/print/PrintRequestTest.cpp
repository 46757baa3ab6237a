// The print request on a small agenda: which document it finds, what it asks, what it
// prints and what it reports, through the real table component.
#include <gtest/gtest.h>

#include <thread>

#include "documents/SampleAgenda.h"
#include "print/PrintRequest.h"
#include "support/MessageBoxRecorder.h"
#include "support/TempFile.h"
#include "support/TestQueue.h"

namespace {

const UINT kQuestion = MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL;

DocRecord Doc(long id, const char* typ, const char* number)
{
    DocRecord d;
    d.id = id;
    d.typ = typ;
    d.cislo = number;
    d.nazev = "Odběratel " + std::string(number);
    return d;
}

// The start of a page of the given title, as the printer puts it on the port.
std::string PageStart(const std::string& title)
{
    ExpectedPage page;
    page.Open().Mode(kEscpDoubleWidth).Line(title).Mode(0).Line(Rule(80));
    return page.Bytes();
}

std::string TaxTitle(const std::string& number)
{
    return "DAŇOVÝ DOKLAD - za hotové" + Right(number, 15);
}

std::string DeliveryTitle(const std::string& number)
{
    return "DODACÍ LIST         " + Right(number, 20);
}

class PrintRequestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        agenda.Configure(config);
        config.Port = port.Path();
        // In "CDokladu" order: P0001, D0002, P0003, D0004; the file holds them mixed.
        agenda.WriteDocuments(
            {Doc(3, "P", "P0003"), Doc(1, "P", "P0001"), Doc(4, "D", "D0004"), Doc(2, "D", "D0002")});
        ItemRecord item;
        item.docId = 3;
        item.nazev = "Hřebík";
        agenda.WriteItems({item});
        agenda.WriteCards({});
    }

    // What is on the port; empty when nothing was ever written.
    std::string Port() const { return port.Read(); }

    void ExpectPage(const std::string& title) const
    {
        const std::string actual = Port();
        const std::string start = PageStart(title);
        EXPECT_EQ(start, actual.substr(0, start.size())) << PageDiff(start, actual);
        ASSERT_FALSE(actual.empty());
        EXPECT_EQ('\f', actual.back());
    }

    SampleAgenda agenda;
    AgendaConfig config;
    TempFile port{"prn"};
    MessageBoxRecorder boxes;
};

TEST_F(PrintRequestTest, NewestTaxDocumentIsTheNewestOfItsKind)
{
    boxes.Answer(IDNO);
    EXPECT_EQ(PrintOutcome::NothingPrinted, PrintRequest(config, LastTaxDocument));
    ASSERT_EQ(1u, boxes.Shown().size());
    EXPECT_EQ("Tisknout daňový doklad č. P0003?", boxes.Shown()[0].text);
    EXPECT_EQ(kQuestion, boxes.Shown()[0].flags);
    EXPECT_EQ("", Port());
    EXPECT_FALSE(PrintBusy);

    boxes.Clear();
    boxes.Answer(IDYES);
    EXPECT_EQ(PrintOutcome::Printed, PrintRequest(config, LastTaxDocument));
    ASSERT_EQ(1u, boxes.Shown().size());
    ExpectPage(TaxTitle("P0003"));
    EXPECT_FALSE(PrintBusy);
}

TEST_F(PrintRequestTest, NewestDeliveryNote)
{
    boxes.Answer(IDYES);
    EXPECT_EQ(PrintOutcome::Printed, PrintRequest(config, LastDeliveryNote));
    ASSERT_EQ(1u, boxes.Shown().size());
    EXPECT_EQ("Tisknout dodací list č. D0004?", boxes.Shown()[0].text);
    EXPECT_EQ(kQuestion, boxes.Shown()[0].flags);
    ExpectPage(DeliveryTitle("D0004"));
}

TEST_F(PrintRequestTest, NothingOfTheKindOrAnEmptyTableEndsSilently)
{
    agenda.WriteDocuments({Doc(1, "D", "D0001"), Doc(2, "D", "D0002"), Doc(3, "X", "X0003")});
    EXPECT_EQ(PrintOutcome::NothingPrinted, PrintRequest(config, LastTaxDocument));
    agenda.WriteDocuments({});
    EXPECT_EQ(PrintOutcome::NothingPrinted, PrintRequest(config, LastDeliveryNote));
    EXPECT_EQ(PrintOutcome::NothingPrinted, PrintRequest(config, ChooseDocument, [](const std::string&, long& id) {
                  id = 1;
                  return true;
              }));
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ("", Port());
    EXPECT_FALSE(PrintBusy);
}

TEST_F(PrintRequestTest, ChosenDocumentIsFoundByItsIdAndPrintedWithoutAsking)
{
    agenda.WriteDocuments({Doc(1, "P", "P0001"), Doc(2, "D", "D0002"), Doc(3, "P", "P0003"),
                           Doc(4, "D", "D0004"), Doc(5, "Z", "Z0005")});
    struct Case {
        bool ok;
        long id;
        PrintOutcome outcome;
        std::string title;
    };
    const Case cases[] = {
        {true, 2, PrintOutcome::Printed, DeliveryTitle("D0002")},
        {true, 1, PrintOutcome::Printed, TaxTitle("P0001")},
        {true, 99, PrintOutcome::NothingPrinted, ""},  // not found: deleted since it was listed
        {true, 5, PrintOutcome::NothingPrinted, ""},   // neither kind
        {false, 3, PrintOutcome::NothingPrinted, ""},  // the picker cancelled
    };
    for (const Case& c : cases) {
        DeleteFileA(port.Path().c_str());
        std::string path;
        const PrintOutcome outcome = PrintRequest(config, ChooseDocument, [&](const std::string& table, long& id) {
            path = table;
            id = c.id;
            return c.ok;
        });
        EXPECT_EQ(c.outcome, outcome) << c.id;
        EXPECT_EQ(agenda.YearDir() + "SkSezDok", path);
        if (c.title.empty())
            EXPECT_EQ("", Port()) << c.id;
        else
            ExpectPage(c.title);
        EXPECT_FALSE(PrintBusy);
    }
    // The preview of that document finds it gone just the same.
    DocumentJob job;
    job.bytes = "old";
    EXPECT_EQ(PrintOutcome::NothingPrinted, PreviewDocument(config, 99, job));
    EXPECT_EQ("", job.bytes);
    ASSERT_EQ(2u, boxes.Shown().size());
    for (const auto& box : boxes.Shown()) {
        EXPECT_EQ("Vybraný doklad už v MoneyS3 není, mezitím byl smazán.", box.text);
        EXPECT_EQ(UINT(MB_OK | MB_ICONEXCLAMATION), box.flags);
    }
}

// A data error says what is wrong with the data, and an amount that no print could show
// right is one: no page of it is finished.
TEST_F(PrintRequestTest, DataErrorNamesItsReason)
{
    const struct {
        dbf::Value price, quantity, rate, total;
        bool withItems;
        std::string reason;
    } cases[] = {
        {"1", "1", "12x5", "1", true, "Invalid number in field DPH"},
        {"900000000000", "100000", "21", "1", true, "Částka mimo rozsah: PocetMJ × Cena"},
        {"1", "1", "21", "1e308", true, "Částka mimo rozsah: pole Celkem"},
        {"1", "1", "21", "1", false, "Tabulku " + agenda.YearDir() + "SkSezPol nelze otevřít (stav 1)"},
    };
    for (const auto& c : cases) {
        DocRecord doc = Doc(3, "P", "P0003");
        doc.celkem = c.total;
        agenda.WriteDocuments({doc});
        agenda.WriteItems({Item("S", 3, "Hřebík", "", c.quantity, "ks", 0, c.price, c.rate)});
        if (!c.withItems)
            DeleteFileA((agenda.YearDir() + "SkSezPol.dbf").c_str());
        boxes.Clear();
        boxes.Answer(IDYES);
        DeleteFileA(port.Path().c_str());
        EXPECT_EQ(PrintOutcome::Failed, PrintRequest(config, LastTaxDocument)) << c.reason;
        ASSERT_EQ(2u, boxes.Shown().size()) << c.reason;
        EXPECT_EQ("Nastala chyba při přístupu k datům\n\n:" + c.reason, boxes.Shown()[1].text);
        EXPECT_EQ("", Port()) << c.reason;  // nothing sent at all
    }
}

// Message boxes and the picker run message loops in which hotkeys arrive: a request made
// meanwhile does nothing.
TEST_F(PrintRequestTest, RequestWhileOneRunsDoesNothing)
{
    std::vector<PrintOutcome> nested;
    int questions = 0;
    MessageBoxHandler previous = SetMessageBoxHandler([&](const std::wstring&, UINT) {
        ++questions;
        EXPECT_TRUE(PrintBusy);
        nested.push_back(PrintRequest(config, LastDeliveryNote));
        return IDNO;
    });
    EXPECT_EQ(PrintOutcome::NothingPrinted, PrintRequest(config, LastTaxDocument));
    EXPECT_EQ(PrintOutcome::NothingPrinted,
              PrintRequest(config, ChooseDocument, [&](const std::string&, long& id) {
                  nested.push_back(PrintRequest(config, ChooseDocument, [](const std::string&, long&) {
                      ADD_FAILURE() << "a second picker was opened";
                      return false;
                  }));
                  id = 0;
                  return false;
              }));
    SetMessageBoxHandler(previous);

    EXPECT_EQ(1, questions);
    EXPECT_EQ((std::vector<PrintOutcome>{PrintOutcome::NothingPrinted, PrintOutcome::NothingPrinted}), nested);
    EXPECT_FALSE(PrintBusy);
    EXPECT_EQ("", Port());
}

TEST_F(PrintRequestTest, ComponentThatCannotBeCreatedIsReported)
{
    // A thread without COM cannot create the component: the handle stays empty.
    PrintOutcome outcome = PrintOutcome::Printed;
    std::thread([&] { outcome = PrintRequest(config, LastTaxDocument); }).join();

    EXPECT_EQ(PrintOutcome::Failed, outcome);
    ASSERT_EQ(1u, boxes.Shown().size());
    // The message names the result of the creation, not the empty handle's E_POINTER.
    const std::string& text = boxes.Shown()[0].text;
    EXPECT_EQ(0u, text.find("Nastala chyba při přístupu k datům\n\n:Databázovou komponentu MoneyS3 (mon2kdbe.dll) "
                            "nelze vytvořit: "))
        << text;
    EXPECT_NE(std::string::npos, text.find("0x800401F0")) << text;
    const std::string hint = ".\nSpusťte quillet-print --check.";
    EXPECT_EQ(text.size() - hint.size(), text.rfind(hint)) << text;
    EXPECT_EQ(UINT(MB_OK), boxes.Shown()[0].flags);
    EXPECT_FALSE(PrintBusy);

    // The next request runs normally.
    boxes.Clear();
    boxes.Answer(IDYES);
    EXPECT_EQ(PrintOutcome::Printed, PrintRequest(config, LastTaxDocument));
    ExpectPage(TaxTitle("P0003"));
}

// A document is sent only once it is laid out whole: a data error anywhere in it, its last
// item included, leaves the port as it was, a file or a printer queue.
TEST_F(PrintRequestTest, DataErrorAnywhereInTheDocumentSendsNothing)
{
    TestQueue queue("Pokladna 1", port.Path());
    ItemRecord first, last;
    first.docId = last.docId = 3;
    first.nazev = "Hřebík";
    last.nazev = "Vrut";
    last.dph = dbf::Value("x2");  // not a number
    agenda.WriteItems({first, last});
    for (const std::string& to : {port.Path(), queue.Name()}) {
        config.Port = to;
        boxes.Clear();
        boxes.Answer(IDYES);
        EXPECT_EQ(PrintOutcome::Failed, PrintRequest(config, LastTaxDocument));

        ASSERT_EQ(2u, boxes.Shown().size());
        EXPECT_EQ("Nastala chyba při přístupu k datům\n\n:Invalid number in field DPH", boxes.Shown()[1].text);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(port.Path().c_str())) << to;
        EXPECT_FALSE(PrintBusy);
    }
}

TEST_F(PrintRequestTest, PortThatCannotBeOpenedIsOneMessageWithTheReason)
{
    config.Port = agenda.YearDir() + "no such folder\\lpt";
    boxes.Answer(IDYES);
    EXPECT_EQ(PrintOutcome::Failed, PrintRequest(config, LastDeliveryNote));
    ASSERT_EQ(2u, boxes.Shown().size());
    const std::string head = "Tisk se nepodařil: port '" + config.Port + "' nelze otevřít, nic nebylo vytištěno.\n\n";
    const std::string& text = boxes.Shown()[1].text;
    EXPECT_EQ(head, text.substr(0, head.size()));
    EXPECT_GT(text.size(), head.size() + 5) << text;  // the system's reason
    EXPECT_EQ(UINT(MB_OK | MB_ICONERROR), boxes.Shown()[1].flags);
    EXPECT_FALSE(PrintBusy);
}

}  // namespace
