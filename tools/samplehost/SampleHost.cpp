// samplehost: lays out a sample installation of the host accounting system (its INI files,
// an agenda with stock cards and a year with documents and items) under a folder standing
// for a drive, and optionally a Quillet.ini. Deterministic from the seed.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "DbfWriter.h"
#include "SampleData.h"
#include "TableIndex.h"
#include "framework/Files.h"
#include "framework/WideText.h"

using namespace samplehost;

namespace {

const char kUsage[] =
    "usage: samplehost [--root FOLDER] [--drive X:] [--data-root PATH] [--agenda NAME]\n"
    "                  [--year NAME] [--documents N] [--items N] [--cards N] [--seed N]\n"
    "                  [--quillet-ini FOLDER|FILE] [--port PORT]\n"
    "       samplehost [--root ...] --add-document P|D [--add-items N] [--rows-after MS]\n"
    "                  [--vystavil NAME] [--seed N]\n"
    "  --root FOLDER      folder standing for the drive (e.g. C:\\); lays out the host there\n"
    "  --drive X:         the drive the INI files name (default C:)\n"
    "  --data-root PATH   host data root on that drive (default X:\\Program Files\\CIGLER SOFTWARE\\Money S3\\Data)\n"
    "  --agenda NAME      agenda folder, the last opened firm (default Obchod)\n"
    "  --year NAME        year folder inside the agenda (default 2003)\n"
    "  --documents N      document headers (default 40)\n"
    "  --items N          item rows over all documents (default 200)\n"
    "  --cards N          stock card numbers in use; about one in twenty has no card (default 60)\n"
    "  --seed N           seed of the data (default 1)\n"
    "  --quillet-ini P    also writes Quillet.ini with the seller's data (into folder P, or as file P)\n"
    "  --port PORT        printer port written to Quillet.ini (default LPT1:)\n"
    "  --add-document K   adds one document of kind K (P or D) to the installation laid out\n"
    "                     under --root with the same --drive, --data-root, --agenda and --year,\n"
    "                     while others may read it, as the host does: the header first, then\n"
    "                     its item rows; prints the new document's id and number\n"
    "  --add-items N      item rows of the added document (default 3)\n"
    "  --rows-after MS    milliseconds between the header and the rows (default 500)\n"
    "  --vystavil NAME    who issued the added document (field Vystavil; default a sample clerk)\n";

// The width of the field "Vystavil", who issued a document.
const size_t kVystavilLength = 30;

struct Options {
    std::string root;
    std::string drive = "C:";
    std::string dataRoot;
    std::string agenda = "Obchod";
    std::string year = "2003";
    long long documents = 40;
    long long items = 200;
    long long cards = 60;
    std::uint64_t seed = 1;
    std::string quilletIni;
    std::string port = "LPT1:";
    bool layoutSizes = false;  // --documents, --items or --cards given
    std::string addKind;       // "P" or "D" when adding a document
    long long addItems = 3;
    long long rowsAfter = 500;
    bool addOptions = false;   // --add-items, --rows-after or --vystavil given
    std::string vystavil;      // code page 1250
};

// splitmix64: the same sequence on every platform and compiler.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    long long Below(long long n) { return n <= 0 ? 0 : static_cast<long long>(Next() % std::uint64_t(n)); }
    bool Percent(int p) { return Below(100) < p; }

private:
    std::uint64_t state_;
};

[[noreturn]] void Fail(const std::string& message)
{
    throw std::runtime_error(message);
}

long long ParseCount(const std::string& option, const char* text, long long max)
{
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (!*text || *end || errno || value < 0 || value > max)
        Fail("bad value for " + option + ": '" + text + "' (a whole number from 0 to " + std::to_string(max) + ")");
    return value;
}

// The argument at index as the user typed it, in code page 1250, which the ANSI arguments
// do not give on a system with another code page.
std::string Cp1250Argument(int index)
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring wide = arguments && index < count ? arguments[index] : L"";
    LocalFree(arguments);
    std::string text;
    if (!ToCp1250(wide, text))
        Fail("the name after --vystavil has a character that code page 1250 does not have");
    return text;
}

Options ParseArguments(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc)
            Fail("missing value after " + option);
        const char* value = argv[++i];
        if (option == "--root")
            options.root = value;
        else if (option == "--drive")
            options.drive = value;
        else if (option == "--data-root")
            options.dataRoot = value;
        else if (option == "--agenda")
            options.agenda = value;
        else if (option == "--year")
            options.year = value;
        else if (option == "--documents")
            options.documents = ParseCount(option, value, 10000000);
        else if (option == "--items")
            options.items = ParseCount(option, value, 100000000);
        else if (option == "--cards")
            options.cards = ParseCount(option, value, 10000000);
        else if (option == "--add-document")
            options.addKind = value;
        else if (option == "--add-items")
            options.addItems = ParseCount(option, value, 100000);
        else if (option == "--rows-after")
            options.rowsAfter = ParseCount(option, value, 600000);
        else if (option == "--vystavil")
            options.vystavil = Cp1250Argument(i);
        else if (option == "--seed")
            options.seed = std::uint64_t(ParseCount(option, value, INT64_MAX));
        else if (option == "--quillet-ini")
            options.quilletIni = value;
        else if (option == "--port")
            options.port = value;
        else
            Fail("unknown option " + option);
        options.layoutSizes =
            options.layoutSizes || option == "--documents" || option == "--items" || option == "--cards";
        options.addOptions = options.addOptions || option == "--add-items" || option == "--rows-after" ||
                             option == "--vystavil";
    }
    if (!options.addKind.empty()) {
        if (options.addKind != "P" && options.addKind != "D")
            Fail("--add-document takes P (cash tax document) or D (delivery note)");
        if (options.root.empty())
            Fail("--add-document needs --root, the installation to add to");
        if (options.layoutSizes)
            Fail("--add-document adds to an installation; --documents, --items and --cards lay out a new one");
        if (options.vystavil.size() > kVystavilLength)
            Fail("the name after --vystavil is longer than " + std::to_string(kVystavilLength) + " characters");
    } else if (options.addOptions) {
        Fail("--add-items, --rows-after and --vystavil go with --add-document");
    }
    if (options.root.empty() && options.quilletIni.empty())
        Fail("nothing to do: give --root, --quillet-ini or both");
    if (options.items > 0 && options.documents == 0)
        Fail("item rows need at least one document (--documents)");
    if (options.drive.size() != 2 || options.drive[1] != ':' || !std::isalpha(static_cast<unsigned char>(options.drive[0])))
        Fail("--drive takes a drive letter and a colon, like C:");
    if (options.dataRoot.empty())
        options.dataRoot = options.drive + "\\Program Files\\CIGLER SOFTWARE\\Money S3\\Data";
    if (_strnicmp(options.dataRoot.c_str(), options.drive.c_str(), 2) != 0 || options.dataRoot.size() < 3 ||
        options.dataRoot[2] != '\\')
        Fail("--data-root must be a full path on drive " + options.drive);
    for (const std::string* name : {&options.agenda, &options.year})
        if (name->empty() || name->find_first_of("\\/:*?\"<>|") != std::string::npos)
            Fail("agenda and year must be plain folder names");
    return options;
}

std::string WithoutTrailingBackslash(std::string path)
{
    while (path.size() > 2 && path.back() == '\\')
        path.pop_back();
    return path;
}

// The file behind a path on the named drive: the drive replaced by the root folder.
std::string OnRoot(const Options& options, const std::string& drivePath)
{
    std::string root = options.root;
    if (!root.empty() && root.back() != '\\')
        root += '\\';
    return root + drivePath.substr(3);
}

void CreateFolders(const std::string& folder)
{
    const std::string path = WithoutTrailingBackslash(folder);
    for (size_t pos = path.find('\\', 3);; pos = path.find('\\', pos + 1)) {
        const std::string part = path.substr(0, pos);
        if (!FolderExists(part) && !CreateDirectoryA(part.c_str(), nullptr))
            Fail("cannot create folder " + part);
        if (pos == std::string::npos)
            break;
    }
}

// INI files are written as the host writes them: code page 1250, CR LF line ends.
void WriteIni(const std::string& path, const std::vector<std::string>& lines)
{
    CreateFolders(path.substr(0, path.rfind('\\')));
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail("cannot create " + path);
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != text.size())
        Fail("cannot write " + path);
}

// Half away from zero, to whole hundredths; values in ten-thousandths.
std::int64_t RoundToHundredths(std::int64_t value)
{
    const std::int64_t magnitude = (value < 0 ? -value : value) + 50;
    const std::int64_t rounded = magnitude - magnitude % 100;
    return value < 0 ? -rounded : rounded;
}

// Quantity times price, cut to four decimals as the printed document computes it.
std::int64_t LineNet(std::int64_t quantity, std::int64_t price)
{
    return quantity * price / 10000;
}

// The day of 2003 (0-based) as a date; the sample year has no leap day.
dbf::DateValue DateOf2003(int dayOfYear)
{
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = 0;
    while (dayOfYear >= kMonthDays[month] && month < 11)
        dayOfYear -= kMonthDays[month++];
    return {2003, month + 1, std::min(dayOfYear + 1, kMonthDays[month])};
}

struct Card {
    long number;
    const Goods* goods;
    std::string name;
    std::string catalogue;
    bool missing;  // referenced by items, absent from the card table
};

Card CardOf(long number, std::uint64_t seed)
{
    const long index = number - 1;
    const Goods& goods = kGoods[index % kGoodsCount];
    const long variant = index / kGoodsCount;
    Card card{number, &goods, goods.name, goods.catalogue, false};
    if (variant > 0)
        card.name += kVariants[variant % kVariantsCount];
    char code[32];
    std::snprintf(code, sizeof code, "%04ld", number);
    card.catalogue += code;
    // A fixed, seed-dependent one in twenty has no card (never the first).
    card.missing = number > 1 && Random(seed ^ (std::uint64_t(number) * 0x9E3779B97F4A7C15ull)).Below(20) == 0;
    return card;
}

struct Summary {
    long long cardsWritten = 0;
    long long cardsMissing = 0;
    long long taxDocuments = 0;
    long long deliveryNotes = 0;
    long long stockRows = 0;
    long long otherRows = 0;
    std::string newestTax;
    std::string newestDelivery;
};

void WriteStockCards(const Options& options, const std::string& agendaFolder, Summary& summary)
{
    dbf::DbfWriter cards(agendaFolder + "\\SkSezZas.dbf",
                         {{"Cislo", dbf::FieldType::Numeric, 10},
                          {"Nazev", dbf::FieldType::Character, 100},
                          {"Katalog", dbf::FieldType::Character, 30},
                          {"MJ", dbf::FieldType::Character, 10},
                          {"Pozn", dbf::FieldType::Character, 100}});
    Random random(options.seed * 31 + 7);
    for (long number = 1; number <= options.cards; ++number) {
        const Card card = CardOf(number, options.seed);
        const char* note = kCardNotes[random.Below(kCardNotesCount)];
        if (card.missing) {
            ++summary.cardsMissing;
            continue;
        }
        cards.Add({number, card.name, card.catalogue, card.goods->unit, note});
        ++summary.cardsWritten;
    }
    cards.Close();
}

struct Document {
    long id;
    bool tax;  // "P", else "D"
    std::string number;
    long rowsLeft;
    dbf::DateValue date;
    std::string clerk;  // "Vystavil"; empty takes one of the sample clerks
    bool firstRow = true;
    std::int64_t base[3] = {0, 0, 0};  // by rate 0, 5, 22
};

int RateSlot(int rate) { return rate == 0 ? 0 : rate == 5 ? 1 : 2; }

std::string Number(const char* prefix, long long sequence)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s03%05lld", prefix, sequence);
    return text;
}

// The tables' layouts, as the host has them.
const std::vector<dbf::Field> kDocumentFields = {
    {"CDokladu", dbf::FieldType::Integer},
    {"Typ", dbf::FieldType::Character, 1},
    {"CisloDokla", dbf::FieldType::Character, 20},
    {"A_Nazev", dbf::FieldType::Character, 50},
    {"O_NazevOb", dbf::FieldType::Character, 50},
    {"O_UliceOb", dbf::FieldType::Character, 40},
    {"O_MestoOb", dbf::FieldType::Character, 40},
    {"O_PscOb", dbf::FieldType::Character, 10},
    {"A_ICO", dbf::FieldType::Character, 15},
    {"A_DIC", dbf::FieldType::Character, 20},
    {"K_Jmeno", dbf::FieldType::Character, 40},
    {"Datum", dbf::FieldType::Date},
    {"Vystavil", dbf::FieldType::Character, int(kVystavilLength)},
    {"Sleva", dbf::FieldType::Numeric, 6, 2},
    {"Zaklad0", dbf::FieldType::Numeric, 14, 2},
    {"Zaklad5", dbf::FieldType::Numeric, 14, 2},
    {"DPH5", dbf::FieldType::Numeric, 14, 2},
    {"Zaklad22", dbf::FieldType::Numeric, 14, 2},
    {"DPH22", dbf::FieldType::Numeric, 14, 2},
    {"Celkem", dbf::FieldType::Numeric, 14, 2}};
const std::vector<dbf::Field> kItemFields = {
    {"TypDokladu", dbf::FieldType::Character, 1},
    {"CDokladu", dbf::FieldType::Integer},
    {"Nazev", dbf::FieldType::Character, 100},
    {"Katalog", dbf::FieldType::Character, 30},
    {"PocetMJ", dbf::FieldType::Numeric, 12, 3},
    {"MJ", dbf::FieldType::Character, 10},
    {"CKmenKarty", dbf::FieldType::Integer},
    {"Cena", dbf::FieldType::Currency},
    {"DPH", dbf::FieldType::Numeric, 5, 2}};

using Record = std::vector<dbf::Value>;
using RecordSink = std::function<void(const Record&)>;

// Makes up documents and their item rows; the records go to the sinks, a document's header
// after its rows, whose sums it holds.
class DocumentWriter {
public:
    DocumentWriter(const Options& options, std::uint64_t seed, Summary& summary, RecordSink headers,
                   RecordSink items)
        : options_(options),
          summary_(summary),
          random_(seed),
          headers_(std::move(headers)),
          items_(std::move(items))
    {
    }

    // One document with its rows.
    void Write(Document doc)
    {
        while (doc.rowsLeft > 0)
            WriteRow(doc);
        FinishDocument(doc);
    }

    void Run()
    {
        const long long count = options_.documents;
        // Rows per document: one each while they last, the rest spread at random.
        std::vector<long> rows(size_t(count), 0);
        if (count > 0) {
            long long rest = options_.items;
            if (rest >= count) {
                std::fill(rows.begin(), rows.end(), 1);
                rest -= count;
            }
            for (; rest > 0; --rest)
                ++rows[size_t(random_.Below(count))];
        }
        // A few documents are open at once, so their rows interleave in the item table.
        std::vector<Document> open;
        long long next = 0;
        const size_t kOpenAtOnce = 3;
        while (next < count || !open.empty()) {
            while (open.size() < kOpenAtOnce && next < count) {
                const int day = options_.documents > 1 ? int(next * 360 / options_.documents) : 0;
                Document doc{long(1001 + next), KindOf(next), "", rows[size_t(next)], DateOf2003(day), ""};
                ++next;
                // Numbers run with the ids, one series per kind.
                doc.number = doc.tax ? Number("PR", ++taxSequence_) : Number("DL", ++deliverySequence_);
                (doc.tax ? summary_.taxDocuments : summary_.deliveryNotes)++;
                (doc.tax ? summary_.newestTax : summary_.newestDelivery) = doc.number;
                if (doc.rowsLeft == 0)
                    FinishDocument(doc);
                else
                    open.push_back(doc);
            }
            if (open.empty())
                continue;
            const size_t pick = size_t(random_.Below(static_cast<long long>(open.size())));
            WriteRow(open[pick]);
            if (open[pick].rowsLeft == 0) {
                FinishDocument(open[pick]);
                open.erase(open.begin() + long(pick));
            }
        }
    }

private:
    // Both kinds are always there once two documents are asked for.
    bool KindOf(long long index)
    {
        if (index == 0)
            return true;
        if (index == 1)
            return false;
        return random_.Percent(60);
    }

    void WriteRow(Document& doc)
    {
        --doc.rowsLeft;
        const bool stock = doc.firstRow || !random_.Percent(10);
        doc.firstRow = false;
        if (!stock) {
            const char* type = random_.Percent(70) ? "T" : "O";
            items_({type, doc.id, kTextRows[random_.Below(kTextRowsCount)], "", dbf::Value::Currency(0), "", 0,
                    dbf::Value::Currency(0), dbf::Value::Currency(0)});
            ++summary_.otherRows;
            return;
        }
        const long cardNumber = options_.cards > 0 ? long(1 + random_.Below(options_.cards)) : 0;
        const Card card = cardNumber > 0 ? CardOf(cardNumber, options_.seed)
                                         : Card{0, &kGoods[random_.Below(kGoodsCount)], "", "", true};
        const Goods& goods = *card.goods;
        std::int64_t quantity = 0;
        switch (goods.quantityDecimals) {
        case 0:
            quantity = (random_.Percent(85) ? 1 + random_.Below(5) : 6 + random_.Below(95)) * 10000;
            break;
        case 1:
            quantity = (1 + random_.Below(16)) * 5000;  // half hours
            break;
        case 2:
            quantity = (1 + random_.Below(400)) * 250;  // quarter metres and more
            break;
        default:
            quantity = (1 + random_.Below(4000)) * 10;  // grams
            break;
        }
        if (random_.Below(200) == 0)
            quantity = -quantity;  // goods taken back
        const std::int64_t price = goods.price;
        doc.base[RateSlot(goods.rate)] += LineNet(quantity, price);
        items_({"S", doc.id, card.name.empty() ? std::string(goods.name) : card.name, card.catalogue,
                dbf::Value::Currency(quantity), goods.unit, card.number, dbf::Value::Currency(price), goods.rate});
        ++summary_.stockRows;
    }

    void FinishDocument(const Document& doc)
    {
        // Cash sales are often to nobody in particular; delivery notes always name the buyer.
        const bool anonymous = doc.tax && random_.Percent(25);
        const Customer& customer = kCustomers[random_.Below(kCustomersCount)];
        std::string ico, dic;
        if (!anonymous && *customer.ico) {
            ico = customer.ico;
            dic = std::string("CZ") + customer.ico;
        }
        const std::int64_t base0 = RoundToHundredths(doc.base[0]);
        const std::int64_t base5 = RoundToHundredths(doc.base[1]);
        const std::int64_t base22 = RoundToHundredths(doc.base[2]);
        const std::int64_t vat5 = RoundToHundredths(base5 * 5 / 100);
        const std::int64_t vat22 = RoundToHundredths(base22 * 22 / 100);
        const std::int64_t total = base0 + base5 + vat5 + base22 + vat22;
        const std::int64_t discount = random_.Below(20) == 0 ? (random_.Percent(50) ? 50000 : 100000) : 0;
        const char* clerk = kClerks[random_.Below(kClerksCount)];  // drawn even when given: the sequence stays
        auto text = [anonymous](const char* value) { return anonymous ? std::string() : std::string(value); };
        headers_({doc.id, doc.tax ? "P" : "D", doc.number, text(customer.name), text(customer.name),
                  text(customer.street), text(customer.town), text(customer.postcode), ico, dic,
                  doc.tax ? std::string() : std::string(customer.contact), doc.date,
                  doc.clerk.empty() ? std::string(clerk) : doc.clerk, dbf::Value::Currency(discount),
                  dbf::Value::Currency(base0), dbf::Value::Currency(base5), dbf::Value::Currency(vat5),
                  dbf::Value::Currency(base22), dbf::Value::Currency(vat22), dbf::Value::Currency(total)});
    }

    const Options& options_;
    Summary& summary_;
    Random random_;
    RecordSink headers_;
    RecordSink items_;
    long long taxSequence_ = 0;
    long long deliverySequence_ = 0;
};

void WriteQuilletIni(const Options& options)
{
    std::string path = options.quilletIni;
    if (path.back() == '\\' || FolderExists(path))
        path = WithoutTrailingBackslash(path) + "\\Quillet.ini";
    WriteIni(path, {"[Firma]", "Nazev=Železářství U Lípy s.r.o.", "Ulice=Na Sadech 1250/7", "Mesto=České Budějovice",
                    "PSC=370 01", "Tel=387 311 452", "Fax=387 311 453", "ICO=26014921", "DIC=CZ26014921",
                    "RegCislo=Zapsáno v OR u KS v Č. Budějovicích, oddíl C, vložka 8812",
                    "Port=" + options.port});
    std::printf("Quillet.ini:  %s (port %s)\n", path.c_str(), options.port.c_str());
}

void WriteHost(const Options& options)
{
    const std::string localPath = options.drive + "\\Program Files\\CIGLER SOFTWARE\\Money S3";
    const std::string setupIni = options.drive + "\\Program Files\\CIGLER SOFTWARE\\Common Files\\Setup.ini";
    const std::string dataRoot = WithoutTrailingBackslash(options.dataRoot);
    WriteIni(OnRoot(options, setupIni), {"[InstParams]", "LocalPath=" + localPath, "Language=CZ"});
    WriteIni(OnRoot(options, localPath + "\\MonS3.ini"),
             {"[Directory]", "DataRoot=" + dataRoot, "", "[LastDirs]", "LastFirm=" + options.agenda,
              "LastYear=" + options.year});

    const std::string agendaDir = dataRoot + "\\" + options.agenda;
    const std::string yearDir = agendaDir + "\\" + options.year;
    const std::string agendaFolder = OnRoot(options, agendaDir);
    const std::string yearFolder = OnRoot(options, yearDir);
    CreateFolders(yearFolder);

    Summary summary;
    WriteStockCards(options, agendaFolder, summary);
    {
        dbf::DbfWriter headers(yearFolder + "\\SkSezDok.dbf", kDocumentFields);
        dbf::DbfWriter items(yearFolder + "\\SkSezPol.dbf", kItemFields);
        DocumentWriter(
            options, options.seed, summary, [&](const Record& r) { headers.Add(r); },
            [&](const Record& r) { items.Add(r); })
            .Run();
        headers.Close();
        items.Close();
    }
    // The host keeps an index file beside each table it searches.
    dbf::WriteIndex(agendaFolder + "\\SkSezZas.dbf", "Cislo");
    dbf::WriteIndex(yearFolder + "\\SkSezDok.dbf", "CDokladu");
    dbf::WriteIndex(yearFolder + "\\SkSezPol.dbf", "CDokladu");

    // Paths as the INI files name them; the files themselves lie under the root.
    std::printf("root:         %s stands for %s\n", options.root.c_str(), options.drive.c_str());
    std::printf("Setup.ini:    %s\n", setupIni.c_str());
    std::printf("MonS3.ini:    %s\n", (localPath + "\\MonS3.ini").c_str());
    std::printf("agenda:       %s\\ (SkSezZas: %lld cards, %lld numbers without a card)\n", agendaDir.c_str(),
                summary.cardsWritten, summary.cardsMissing);
    std::printf("year:         %s\\ (SkSezDok, SkSezPol)\n", yearDir.c_str());
    std::printf("documents:    %lld (%lld P, %lld D)\n", summary.taxDocuments + summary.deliveryNotes,
                summary.taxDocuments, summary.deliveryNotes);
    std::printf("item rows:    %lld (%lld of type S, %lld other)\n", summary.stockRows + summary.otherRows,
                summary.stockRows, summary.otherRows);
    std::printf("newest P:     %s\n", summary.newestTax.empty() ? "-" : summary.newestTax.c_str());
    std::printf("newest D:     %s\n", summary.newestDelivery.empty() ? "-" : summary.newestDelivery.c_str());
}

long Whole(const std::wstring& text)
{
    return std::wcstol(text.c_str(), nullptr, 10);
}

// Adds one document to the year of an installation laid out before, as the host saves one
// while others read its tables: the header, its index, then after a pause the item rows and
// theirs. The id follows the highest there is, so the index files only grow at their end.
void AddDocument(const Options& options)
{
    const std::string dataRoot = WithoutTrailingBackslash(options.dataRoot);
    const std::string agendaFolder = OnRoot(options, dataRoot + "\\" + options.agenda);
    const std::string yearFolder = agendaFolder + "\\" + options.year;
    const std::string headerTable = yearFolder + "\\SkSezDok.dbf";
    const std::string itemTable = yearFolder + "\\SkSezPol.dbf";

    long id = 1000;
    for (const std::wstring& value : dbf::ReadColumn(headerTable, "CDokladu"))
        id = std::max(id, Whole(value));
    ++id;
    const std::vector<std::wstring> kinds = dbf::ReadColumn(headerTable, "Typ");
    const bool tax = options.addKind == "P";
    const long long sequence = std::count(kinds.begin(), kinds.end(), tax ? L"P" : L"D") + 1;
    Options made = options;
    made.cards = 0;  // rows name only cards the agenda has numbers for
    for (const std::wstring& value : dbf::ReadColumn(agendaFolder + "\\SkSezZas.dbf", "Cislo"))
        made.cards = std::max<long long>(made.cards, Whole(value));

    // The last day of the sample year, after every laid-out document.
    Document doc{id, tax, Number(tax ? "PR" : "DL", sequence), long(options.addItems), DateOf2003(364),
                 options.vystavil};
    std::vector<Record> header, rows;
    Summary unused;
    DocumentWriter(
        made, options.seed ^ (std::uint64_t(id) * 0x9E3779B97F4A7C15ull), unused,
        [&](const Record& r) { header.push_back(r); }, [&](const Record& r) { rows.push_back(r); })
        .Write(doc);

    dbf::DbfAppender(headerTable, kDocumentFields).Add(header.front());
    dbf::WriteIndex(headerTable, "CDokladu");
    std::printf("document:     %ld %s\n", id, doc.number.c_str());
    std::fflush(stdout);
    Sleep(DWORD(options.rowsAfter));
    {
        dbf::DbfAppender items(itemTable, kItemFields);
        for (const Record& row : rows)
            items.Add(row);
    }
    dbf::WriteIndex(itemTable, "CDokladu");
    std::printf("item rows:    %zu\n", rows.size());
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const Options options = ParseArguments(argc, argv);
        if (!options.addKind.empty())
            AddDocument(options);
        else if (!options.root.empty())
            WriteHost(options);
        if (!options.quilletIni.empty())
            WriteQuilletIni(options);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "samplehost: %s\n", error.what());
        if (argc < 2)
            std::fputs(kUsage, stderr);
        return 1;
    }
}
