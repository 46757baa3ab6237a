// Times the table component on an item table of a million rows: OpenTable, SetIndex and
// the item scan's walk (two FieldValue calls a row), next to a plain read of the same file.
// Usage: host_table_bench [records]   (needs mon2kdbe.dll registered)
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DbfWriter.h"
#include "Measure.h"
#include "host/HostTable.h"

namespace {

void WriteItems(const std::string& path, long records)
{
    using namespace dbf;
    DbfWriter w(path, {{"TYPDOKLADU", FieldType::Character, 2},
                       {"CDOKLADU", FieldType::Numeric, 10},
                       {"NAZEV", FieldType::Character, 50},
                       {"KATALOG", FieldType::Character, 20},
                       {"POCETMJ", FieldType::Numeric, 14, 4},
                       {"MJ", FieldType::Character, 10},
                       {"CKMENKARTY", FieldType::Numeric, 10},
                       {"CENA", FieldType::Numeric, 14, 4},
                       {"DPH", FieldType::Numeric, 5, 2}});
    std::vector<Value> row(9);
    for (long i = 0; i < records; ++i) {
        // Documents come in runs of a few rows, numbered out of file order.
        const long document = (i / 4 * 7919) % 250000 + 1;
        row[0] = (i % 5 == 4) ? "T" : "S";
        row[1] = document;
        row[2] = "Šroubek pozinkovaný M" + std::to_string(i % 97) + " s podložkou";
        row[3] = "KAT-" + std::to_string(i % 10007);
        row[4] = Value::Currency((i % 1000) * 2500);
        row[5] = "ks";
        row[6] = i % 5000 + 1;
        row[7] = Value::Currency(1234500 + i % 333);
        row[8] = Value::Currency(i % 3 ? 210000 : 150000);
        if (i % 50 == 49)
            w.AddDeleted(row);
        else
            w.Add(row);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "SkSezPol";
    const std::string file = base + ".dbf";

    double t = Now();
    WriteItems(file, records);
    std::printf("written %ld records in %.2f s\n", records, Now() - t);
    const double fileMb = FileMb(file);
    std::printf("file size %.1f MB\n", fileMb);

    PlainRead(file);  // warms the cache the same way for both
    const PlainReadResult plainRead = PlainRead(file);
    const double plain = plainRead.seconds;
    std::printf("plain sequential read       %8.3f s  (checksum %llu)\n", plain, plainRead.checksum);
    PrintMemory("before the component:");

    try {
        HostTable table = CreateHostTable();
        if (table.Empty()) {
            std::printf("mon2kdbe.dll is not registered\n");
            return 1;
        }
        t = Now();
        const long status = table.OpenTable(base);
        const double open = Now() - t;
        std::printf("OpenTable                   %8.3f s  (status %ld)\n", open, status);
        t = Now();
        table.SetIndex("CDokladu");
        const double index = Now() - t;
        std::printf("SetIndex(\"CDokladu\")        %8.3f s\n", index);

        t = Now();
        const long n = table.RecordCount();
        long printed = 0;
        long previous = -1;
        bool ordered = true;
        table.MoveFirst();
        for (long i = 0; i < n; ++i) {
            OleVariant type = table.FieldValue("TypDokladu");
            OleVariant document = table.FieldValue("CDokladu");
            if (type.Get().vt == VT_BSTR && type.Get().bstrVal && type.Get().bstrVal[0] == L'S')
                ++printed;
            ordered = ordered && document.Get().lVal >= previous;
            previous = document.Get().lVal;
            table.MoveNext();
        }
        const double walk = Now() - t;
        std::printf("walk, 2 FieldValue a row    %8.3f s  (%ld rows, %ld of type S, %s)\n", walk, n, printed,
                    ordered ? "in index order" : "NOT IN ORDER");
        std::printf("walk / plain read           %8.2f\n", walk / plain);
        std::printf("open + index + walk / plain %8.2f\n", (open + index + walk) / plain);
        // Where the walk's time goes.
        auto part = [&](const char* what, auto body) {
            const double start = Now();
            table.MoveFirst();
            for (long i = 0; i < n; ++i) {
                body();
                table.MoveNext();
            }
            std::printf("  walk with %-24s %8.3f s\n", what, Now() - start);
        };
        part("MoveNext only", [] {});
        part("FieldValue(\"CDokladu\")", [&] { OleVariant v = table.FieldValue("CDokladu"); });
        part("FieldValue(\"TypDokladu\")", [&] { OleVariant v = table.FieldValue("TypDokladu"); });
        PrintMemory("after the walk:");
        std::printf("file size + 32 MB           %8.1f MB\n", fileMb + 32);
        table.Release();
        {
            // The same walk in file order, where the records are read front to back.
            HostTable natural = CreateHostTable();
            natural.OpenTable(base);
            const double start = Now();
            natural.MoveFirst();
            for (long i = 0; i < n; ++i) {
                OleVariant type = natural.FieldValue("TypDokladu");
                OleVariant document = natural.FieldValue("CDokladu");
                natural.MoveNext();
            }
            std::printf("  walk in file order (no index)%8.3f s\n", Now() - start);
        }

    } catch (const HostError& error) {
        std::printf("HostError: %s\n", error.Text().c_str());
        return 1;
    }
    DeleteFileA(file.c_str());
    OleUninitialize();
    return 0;
}
