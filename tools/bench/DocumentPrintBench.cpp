// Times printing the newest cash tax document of a year of documents to a file port (the
// item scan walks every item row of the year) next to a plain sequential read of the item
// file, and shows the peak memory. Usage: document_print_bench [documents] [items]
// (needs mon2kdbe.dll registered)
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DbfWriter.h"
#include "Measure.h"
#include "config/AgendaConfig.h"
#include "framework/MessageBox.h"
#include "print/PrintRequest.h"

namespace {

// The year's documents: cash sales and delivery notes in turn, the newest a cash sale.
void WriteDocuments(const std::string& path, long documents)
{
    using namespace dbf;
    DbfWriter w(path, {{"Typ", FieldType::Character, 1},
                       {"CisloDokla", FieldType::Character, 20},
                       {"CDokladu", FieldType::Numeric, 10},
                       {"O_NazevOb", FieldType::Character, 50},
                       {"O_UliceOb", FieldType::Character, 50},
                       {"O_MestoOb", FieldType::Character, 40},
                       {"O_PscOb", FieldType::Character, 6},
                       {"A_ICO", FieldType::Character, 12},
                       {"A_DIC", FieldType::Character, 16},
                       {"K_Jmeno", FieldType::Character, 50},
                       {"Datum", FieldType::Date},
                       {"Vystavil", FieldType::Character, 30},
                       {"Sleva", FieldType::Numeric, 6, 2},
                       {"Zaklad0", FieldType::Numeric, 14, 2},
                       {"Zaklad5", FieldType::Numeric, 14, 2},
                       {"DPH5", FieldType::Numeric, 14, 2},
                       {"Zaklad22", FieldType::Numeric, 14, 2},
                       {"DPH22", FieldType::Numeric, 14, 2},
                       {"Celkem", FieldType::Numeric, 14, 2}});
    for (long id = 1; id <= documents; ++id) {
        const bool sale = id % 3 != 0 || id == documents;
        char number[24];
        std::snprintf(number, sizeof number, "%s2026%06ld", sale ? "P" : "D", id);
        w.Add({sale ? "P" : "D", number, id, "Stavebniny Šťastný a synové s.r.o.", "Průmyslová 1234/56",
               "Žďár nad Sázavou", "59101", "25341111", "CZ25341111", "Jiří Dvořák",
               Value::Date(2026, 1 + int(id % 12), 1 + int(id % 28)), "Věra Nováková", Value::Currency(0),
               Value::Currency(0), Value::Currency(1000000), Value::Currency(50000), Value::Currency(12345600),
               Value::Currency(2716000), Value::Currency(16111600)});
    }
}

// The year's item rows, appended document by document as a shop writes them; about one
// row in ten is not a sale row.
void WriteItems(const std::string& path, long documents, long items)
{
    using namespace dbf;
    DbfWriter w(path, {{"TypDokladu", FieldType::Character, 2},
                       {"CDokladu", FieldType::Numeric, 10},
                       {"Nazev", FieldType::Character, 50},
                       {"Katalog", FieldType::Character, 20},
                       {"PocetMJ", FieldType::Numeric, 14, 4},
                       {"MJ", FieldType::Character, 10},
                       {"CKmenKarty", FieldType::Numeric, 10},
                       {"Cena", FieldType::Numeric, 14, 4},
                       {"DPH", FieldType::Numeric, 5, 2}});
    std::vector<Value> row(9);
    for (long i = 0; i < items; ++i) {
        row[0] = (i % 10 == 9) ? "T" : "S";
        row[1] = static_cast<long>(static_cast<long long>(i) * documents / items + 1);
        row[2] = "Šroubek pozinkovaný M" + std::to_string(i % 97) + " s podložkou";
        row[3] = "KAT-" + std::to_string(i % 10007);
        row[4] = Value::Currency((i % 1000 + 1) * 2500);
        row[5] = "ks";
        row[6] = i % 3000 + 1;
        row[7] = Value::Currency(1234500 + i % 333);
        row[8] = Value::Currency(i % 3 ? 220000 : 50000);
        w.Add(row);
    }
}

void WriteCards(const std::string& path, long cards)
{
    using namespace dbf;
    DbfWriter w(path, {{"Cislo", FieldType::Numeric, 10}, {"Pozn", FieldType::Character, 60}});
    for (long i = 1; i <= cards; ++i)
        w.Add({i, "Skladovat v suchu, balení po " + std::to_string(i % 50 + 1) + " kusech"});
}

}  // namespace

int main(int argc, char** argv)
{
    const long documents = argc > 1 ? std::atol(argv[1]) : 10000;
    const long items = argc > 2 ? std::atol(argv[2]) : 500000;
    if (documents < 1 || items < 1) {
        std::printf("usage: document_print_bench [documents] [items]\n");
        return 2;
    }
    if (FAILED(CoInitialize(nullptr)))
        return 1;

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "qlt-print-bench";
    const std::string agendaDir = root + "\\Firma\\";
    const std::string yearDir = agendaDir + "Rok2026\\";
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA(agendaDir.c_str(), nullptr);
    CreateDirectoryA(yearDir.c_str(), nullptr);
    const std::string itemFile = yearDir + "SkSezPol.dbf";
    const std::string port = root + "\\port.prn";

    double t = Now();
    WriteDocuments(yearDir + "SkSezDok.dbf", documents);
    WriteItems(itemFile, documents, items);
    WriteCards(agendaDir + "SkSezZas.dbf", 3000);
    std::printf("written %ld documents, %ld item rows (%.1f MB), 3000 stock cards in %.2f s\n", documents, items,
                FileMb(itemFile), Now() - t);
    PrintMemory("before printing:");

    AgendaConfig config;
    config.Nazev = "Železářství Čermák s.r.o.";
    config.AgendaDir = agendaDir;
    config.YearDir = yearDir;
    config.Port = port;
    int boxes = 0;
    SetMessageBoxHandler([&](const std::string&, UINT flags) {
        ++boxes;
        return (flags & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    });

    double plain = PlainRead(itemFile).seconds;  // warms the cache the same way for both
    std::printf("plain sequential read of the item file, cold   %8.3f s\n", plain);
    for (int run = 1; run <= 3; ++run) {
        DeleteFileA(port.c_str());
        t = Now();
        const PrintOutcome outcome = PrintRequest(config, LastTaxDocument);
        const double print = Now() - t;
        plain = PlainRead(itemFile).seconds;
        std::printf("print the newest document, run %d              %8.3f s  (%s, %.1f KB on the port)\n", run,
                    print, outcome == PrintOutcome::Printed ? "printed" : "NOT PRINTED", FileMb(port) * 1024);
        std::printf("plain sequential read of the item file          %8.3f s  (print / read %.1f)\n", plain,
                    print / plain);
    }
    std::printf("message boxes: %d (one question a run)\n", boxes);
    PrintMemory("after printing:");

    DeleteFileA(port.c_str());
    DeleteFileA(itemFile.c_str());
    DeleteFileA((yearDir + "SkSezDok.dbf").c_str());
    DeleteFileA((agendaDir + "SkSezZas.dbf").c_str());
    RemoveDirectoryA(yearDir.c_str());
    RemoveDirectoryA(agendaDir.c_str());
    RemoveDirectoryA(root.c_str());
    CoUninitialize();
    return 0;
}
