// Sample agendas and hand-written pages for the document tests.
#include "documents/SampleAgenda.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

#include <gtest/gtest.h>

#include "support/EscpDiff.h"

DocRecord Document(const std::string& typ, long id, const std::string& number, const std::string& name,
                   const std::string& street, const std::string& postcode, const std::string& town)
{
    // No numbers, recipient or issuer; amounts 0.
    return {typ, number, id, name, street, town, postcode, "", "", "", dbf::Value::Date(2026, 3, 1), ""};
}

void UseSeller(AgendaConfig& config, const Seller& seller)
{
    config.Nazev = seller.name;
    config.Ulice = seller.street;
    config.PSC = seller.postcode;
    config.Mesto = seller.town;
    config.Tel = seller.tel;
    config.Fax = seller.fax;
    config.ICO = seller.ico;
    config.DIC = seller.dic;
    config.RegCislo = seller.registration;
}

ItemRecord Item(const std::string& typ, long docId, const std::string& name, const std::string& catalogue,
                dbf::Value quantity, const std::string& unit, long card, dbf::Value price, dbf::Value rate)
{
    ItemRecord i;
    i.typ = typ;
    i.docId = docId;
    i.nazev = name;
    i.katalog = catalogue;
    i.pocet = quantity;
    i.mj = unit;
    i.card = card;
    i.cena = price;
    i.dph = rate;
    return i;
}

SampleAgenda::SampleAgenda()
{
    agendaDir_ = root_.Path() + "\\Firma\\";
    yearDir_ = agendaDir_ + "Rok2026\\";
    if (!CreateDirectoryA(agendaDir_.c_str(), nullptr) || !CreateDirectoryA(yearDir_.c_str(), nullptr))
        throw std::runtime_error("cannot create " + yearDir_);
}

void SampleAgenda::WriteDocuments(const std::vector<DocRecord>& docs)
{
    using dbf::FieldType;
    dbf::DbfWriter table(yearDir_ + "SkSezDok.dbf",
                         {{"Typ", FieldType::Character, 1},
                          {"CisloDokla", FieldType::Character, 30},
                          {"CDokladu", FieldType::Integer},
                          {"O_NazevOb", FieldType::Character, 60},
                          {"O_UliceOb", FieldType::Character, 60},
                          {"O_MestoOb", FieldType::Character, 60},
                          {"O_PscOb", FieldType::Character, 10},
                          {"A_ICO", FieldType::Character, 15},
                          {"A_DIC", FieldType::Character, 20},
                          {"K_Jmeno", FieldType::Character, 60},
                          {"Datum", FieldType::Date},
                          {"Vystavil", FieldType::Character, 30},
                          {"Sleva", FieldType::Numeric, 8, 2},
                          {"Zaklad0", FieldType::Numeric, 16, 4},
                          {"Zaklad5", FieldType::Numeric, 16, 4},
                          {"DPH5", FieldType::Numeric, 16, 4},
                          {"Zaklad22", FieldType::Numeric, 16, 4},
                          {"DPH22", FieldType::Numeric, 16, 4},
                          {"Celkem", FieldType::Numeric, 16, 4},
                          {"A_Nazev", FieldType::Character, 60}});  // the picker's customer column
    for (const DocRecord& d : docs)
        table.Add({d.typ, d.cislo, d.id, d.nazev, d.ulice, d.mesto, d.psc, d.ico, d.dic, d.prijemce, d.datum,
                   d.vystavil, d.sleva, d.zaklad0, d.zaklad5, d.dph5, d.zaklad22, d.dph22, d.celkem, d.nazev});
}

void SampleAgenda::WriteItems(const std::vector<ItemRecord>& items, bool withCardField)
{
    using dbf::FieldType;
    std::vector<dbf::Field> fields = {{"TypDokladu", FieldType::Character, 2},
                                      {"CDokladu", FieldType::Integer},
                                      {"Nazev", FieldType::Character, 70},
                                      {"Katalog", FieldType::Character, 40},
                                      {"PocetMJ", FieldType::Numeric, 14, 4},
                                      {"MJ", FieldType::Character, 12},
                                      {"Cena", FieldType::Numeric, 16, 4},
                                      {"DPH", FieldType::Numeric, 8, 2}};
    if (withCardField)
        fields.push_back({"CKmenKarty", FieldType::Integer});
    dbf::DbfWriter table(yearDir_ + "SkSezPol.dbf", fields);
    for (const ItemRecord& i : items) {
        std::vector<dbf::Value> values = {i.typ, i.docId, i.nazev, i.katalog, i.pocet, i.mj, i.cena, i.dph};
        if (withCardField)
            values.push_back(i.card);
        if (i.deleted)
            table.AddDeleted(values);
        else
            table.Add(values);
    }
}

void SampleAgenda::WriteCards(const std::vector<CardRecord>& cards)
{
    using dbf::FieldType;
    dbf::DbfWriter table(agendaDir_ + "SkSezZas.dbf",
                         {{"Cislo", FieldType::Integer}, {"Pozn", FieldType::Character, 200}});
    for (const CardRecord& c : cards)
        table.Add({c.cislo, c.pozn});
}

void SampleAgenda::Configure(AgendaConfig& config) const
{
    config.AgendaDir = agendaDir_;
    config.YearDir = yearDir_;
}

PrintOutcome PrintDocument(AgendaConfig& config, long docId)
{
    return PrintRequest(config, ChooseDocument, [docId](const std::string&, long& chosen) {
        chosen = docId;
        return true;
    });
}

ExpectedPage& ExpectedPage::Open()
{
    bytes_ += std::string("\x1B@", 2);
    bytes_ += std::string("\x1B(t\x03\x00\x01\x0A\x00", 8);
    bytes_ += std::string("\x1Bt\x01", 3);
    bytes_ += std::string("\x1Bx\x00", 3);
    bytes_ += std::string("\x1B" "C\x00\x06", 4);
    bytes_ += std::string("\x1B" "0", 2);
    return Mode(0);
}

ExpectedPage& ExpectedPage::Mode(unsigned char mode)
{
    bytes_ += "\x1B!";
    bytes_ += static_cast<char>(mode);
    return *this;
}

ExpectedPage& ExpectedPage::Text(const std::string& text)
{
    bytes_ += To852(text);
    return *this;
}

ExpectedPage& ExpectedPage::Line(const std::string& text)
{
    bytes_ += To852(text) + "\r\n";
    return *this;
}

ExpectedPage& ExpectedPage::Blank(int count)
{
    for (int i = 0; i < count; ++i)
        bytes_ += "\r\n";
    return *this;
}

ExpectedPage& ExpectedPage::FormFeed()
{
    bytes_ += '\f';
    return *this;
}

std::string To852(const std::string& text1250)
{
    if (text1250.empty())
        return {};
    std::wstring wide(text1250.size(), L'\0');
    int n = MultiByteToWideChar(1250, 0, text1250.data(), int(text1250.size()), wide.data(), int(wide.size()));
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(852, 0, wide.data(), n, out.data(), n, nullptr, nullptr);
    return out;
}

std::string Left(const std::string& text, size_t width)
{
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

std::string Right(const std::string& text, size_t width)
{
    if (text.size() >= width)
        return text.substr(0, width);
    return std::string(width - text.size(), ' ') + text;
}

std::string Rule(size_t width)
{
    return std::string(width, '-');
}

std::string Spaces(size_t count)
{
    return std::string(count, ' ');
}

std::string Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%02u.%02u.%u", now.wDay, now.wMonth, now.wYear);
    return text;
}

std::string PageDiff(const std::string& expected, const std::string& actual)
{
    return EscpDiff(expected, actual);
}

namespace {

// Every test program of the documents talks to the host component on its main thread.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};

const ::testing::Environment* const comEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace
