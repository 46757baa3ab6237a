// A small host agenda written for one test: the document, item and stock-card tables of
// one accounting year in a temporary folder, removed again at the end of the test.
#pragma once

#include <string>
#include <vector>

#include "DbfWriter.h"
#include "config/AgendaConfig.h"
#include "host/HostTable.h"
#include "print/PrintRequest.h"
#include "printer/EscpCodes.h"
#include "support/TempFile.h"

struct DocRecord {
    std::string typ = "P";
    std::string cislo;
    long id = 0;
    std::string nazev, ulice, mesto, psc, ico, dic, prijemce;
    dbf::Value datum = dbf::Value::Date(2026, 3, 1);
    std::string vystavil;
    // Amounts in ten-thousandths; Blank() for a null field.
    dbf::Value sleva = dbf::Value::Currency(0);
    dbf::Value zaklad0 = dbf::Value::Currency(0);
    dbf::Value zaklad5 = dbf::Value::Currency(0);
    dbf::Value dph5 = dbf::Value::Currency(0);
    dbf::Value zaklad22 = dbf::Value::Currency(0);
    dbf::Value dph22 = dbf::Value::Currency(0);
    dbf::Value celkem = dbf::Value::Currency(0);
};

// The seller's fields of a configuration.
struct Seller {
    std::string name, street, postcode, town, tel, fax, ico, dic, registration;
};
void UseSeller(AgendaConfig& config, const Seller& seller);

// A document of kind typ, dated 1 March 2026, for the buyer name at street, postcode town.
DocRecord Document(const std::string& typ, long id, const std::string& number, const std::string& name,
                   const std::string& street, const std::string& postcode, const std::string& town);

struct ItemRecord {
    std::string typ = "S";
    long docId = 0;
    std::string nazev, katalog;
    dbf::Value pocet = dbf::Value::Currency(10000);
    std::string mj = "ks";
    long card = 0;
    dbf::Value cena = dbf::Value::Currency(0);
    dbf::Value dph = dbf::Value::Currency(0);
    bool deleted = false;  // in the file, marked deleted
};

// One item row, its fields in the table's order; price and rate stay 0 where a test needs none.
ItemRecord Item(const std::string& typ, long docId, const std::string& name, const std::string& catalogue,
                dbf::Value quantity, const std::string& unit, long card,
                dbf::Value price = dbf::Value::Currency(0), dbf::Value rate = dbf::Value::Currency(0));

struct CardRecord {
    long cislo;
    std::string pozn;
};

class SampleAgenda {
public:
    SampleAgenda();

    // The host's data root: the agenda is its folder "Firma", the year "Firma\Rok2026".
    const std::string& Root() const { return root_.Path(); }
    // Each ends in one backslash, as AgendaConfig keeps them.
    const std::string& AgendaDir() const { return agendaDir_; }
    const std::string& YearDir() const { return yearDir_; }

    void WriteDocuments(const std::vector<DocRecord>& docs);
    // withCardField false leaves out "CKmenKarty", so that reading it fails.
    void WriteItems(const std::vector<ItemRecord>& items, bool withCardField = true);
    void WriteCards(const std::vector<CardRecord>& cards);

    // Points the configuration at this agenda.
    void Configure(AgendaConfig& config) const;

private:
    TempDir root_{"qlt-agenda"};
    std::string agendaDir_;
    std::string yearDir_;
};

// Prints the document whose "CDokladu" is docId to config's port as a choice in the
// picker is printed: through PrintRequest, without a question.
PrintOutcome PrintDocument(AgendaConfig& config, long docId);

// The page bytes, written down line by line by a test. Text is code page 1250 and goes
// to the port in code page 852, as the printer is meant to send it.
class ExpectedPage {
public:
    // The printer's initialisation for table 5 and 6 inches, then ESC ! 0.
    ExpectedPage& Open();
    // ESC ! with the mode bits (kEscp...).
    ExpectedPage& Mode(unsigned char mode);
    ExpectedPage& Text(const std::string& text);
    ExpectedPage& Line(const std::string& text);
    ExpectedPage& Blank(int count = 1);
    ExpectedPage& FormFeed();

    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

std::string To852(const std::string& text1250);
// text left in width characters, filled with spaces or cut.
std::string Left(const std::string& text, size_t width);
// text right in width characters, filled with spaces before it, or cut to its start.
std::string Right(const std::string& text, size_t width);
std::string Rule(size_t width);
std::string Spaces(size_t count);
// Today as the footer prints it, dd.mm.yyyy.
std::string Today();

// Readable difference of two port streams, for failure messages.
std::string PageDiff(const std::string& expected, const std::string& actual);
