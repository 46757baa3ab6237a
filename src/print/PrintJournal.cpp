// The journal's files: named by month, begun by one writer at a time, appended to one line
// per write, and read a block at a time with each line checked on its own.
#include "print/PrintJournal.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <new>
#include <string_view>
#include <vector>

#include "framework/FormatText.h"
#include "framework/Handles.h"
#include "framework/SystemText.h"
#include "framework/WideText.h"

namespace {

// When Excel has a month's file open it keeps others from writing to it; the lines then go
// to "tisk-2026-12 (2).csv" and on, which the reading takes as the same month.
constexpr int kFilesPerMonth = 9;
constexpr int kAttemptsPerFile = 4;
constexpr DWORD kAttemptPauseMs = 25;
constexpr size_t kColumns = 12;
// No line of ours is this long; a file without line ends is not read whole into memory.
constexpr size_t kLongestLine = 64 * 1024;

const wchar_t* const kHeader[kColumns] = {
    L"Čas", L"Agenda", L"Rok", L"Druh", L"Číslo dokladu", L"Id dokladu",
    L"Tiskárna", L"Způsob", L"Kopie", L"Spustil", L"Výsledek", L"Důvod"};
const wchar_t* const kOrigins[] = {L"F10", L"F11", L"F9", L"quillet-print", L"automaticky"};
const wchar_t* const kWays[] = {L"", L"ESC/P", L"grafický"};
const wchar_t* const kResults[] = {L"vytištěno", L"chyba", L"nevytištěno", L"začátek sledování",
                                   L"konec sledování"};

// A text of the program as its field: one line, and never taken by Excel for a formula.
std::string FieldText(const std::string& cp1250)
{
    std::wstring text = ToWide(cp1250);
    std::replace(text.begin(), text.end(), L'\r', L' ');
    std::replace(text.begin(), text.end(), L'\n', L' ');
    if (!text.empty() && std::wstring_view(L"=+-@'").find(text[0]) != std::wstring_view::npos)
        text.insert(0, 1, L'\'');
    return ToUtf8(text);
}

std::string KindText(const std::string& kind)
{
    if (kind == "P")
        return ToUtf8(L"Prodejka");
    if (kind == "D")
        return ToUtf8(L"Dodací list");
    return FieldText(kind);
}

std::string Quoted(const std::string& field)
{
    if (field.find_first_of(";\"") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string JoinLine(const std::string (&fields)[kColumns])
{
    std::string line;
    for (size_t i = 0; i < kColumns; ++i)
        line += (i ? ";" : "") + Quoted(fields[i]);
    return line + "\r\n";
}

std::string HeaderLine()
{
    std::string fields[kColumns];
    for (size_t i = 0; i < kColumns; ++i)
        fields[i] = ToUtf8(kHeader[i]);
    return JoinLine(fields);
}

std::string EntryLine(const JournalEntry& entry, const SYSTEMTIME& time)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute, time.wSecond);
    const std::string fields[kColumns] = {stamp,
                                          FieldText(entry.key.agenda),
                                          FieldText(entry.key.year),
                                          KindText(entry.key.kind),
                                          FieldText(entry.number),
                                          std::to_string(entry.id),
                                          FieldText(entry.port),
                                          ToUtf8(kWays[int(entry.way)]),
                                          std::to_string(entry.copies),
                                          ToUtf8(kOrigins[int(entry.origin)]),
                                          ToUtf8(kResults[int(entry.result)]),
                                          FieldText(entry.reason)};
    return JoinLine(fields);
}

std::wstring MonthFileName(int year, int month, int file)
{
    wchar_t name[64];
    if (file == 1)
        std::swprintf(name, 64, L"tisk-%04d-%02d.csv", year, month);
    else
        std::swprintf(name, 64, L"tisk-%04d-%02d (%d).csv", year, month, file);
    return name;
}

// The month (year * 100 + month) a file name of the journal stands for; 0 for any other name.
int MonthOfFileName(const std::wstring& name)
{
    int year = 0, month = 0, file = 0, length = 0;
    if (std::swscanf(name.c_str(), L"tisk-%4d-%2d.csv%n", &year, &month, &length) == 2 &&
        size_t(length) == name.size())
        return year * 100 + month;
    if (std::swscanf(name.c_str(), L"tisk-%4d-%2d (%d).csv%n", &year, &month, &file, &length) == 3 &&
        size_t(length) == name.size() && file >= 2 && file <= kFilesPerMonth)
        return year * 100 + month;
    return 0;
}

FileHandle OpenToAppend(const std::wstring& path, bool create)
{
    // Without FILE_WRITE_DATA every write goes to the end of the file, as one piece, whoever
    // else appends at the same time; reading is only for the last byte. A new file is kept
    // to its maker until its first lines are in (CREATE_NEW decides atomically who that is).
    return FileHandle(CreateFileW(path.c_str(), FILE_READ_DATA | FILE_APPEND_DATA | SYNCHRONIZE,
                                  create ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  create ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Quillet and quillet-print of one user append to the same files. A write with
// FILE_APPEND_DATA alone goes to the end as one piece on NTFS, but not under Wine nor on
// every file system: the writers of a session also take turns. One that waits too long
// writes anyway, since the journal never holds up a print.
class WriterTurn {
public:
    WriterTurn() : mutex_(CreateMutexW(nullptr, FALSE, L"Local\\Quillet.PrintJournal"))
    {
        const DWORD waited = mutex_ ? WaitForSingleObject(mutex_.Get(), 5000) : WAIT_FAILED;
        held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~WriterTurn()
    {
        if (held_)
            ReleaseMutex(mutex_.Get());
    }
    WriterTurn(const WriterTurn&) = delete;
    WriterTurn& operator=(const WriterTurn&) = delete;

private:
    KernelHandle mutex_;
    bool held_ = false;
};

// Empty when the line is on the disk, else why not.
std::string AppendLine(HANDLE file, const std::wstring& path, std::string line)
{
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size);
    if (ok && size.QuadPart == 0) {
        line.insert(0, "\xEF\xBB\xBF" + HeaderLine());
    } else if (ok) {
        // A line torn by a crash or a cut power has no line end: the next one starts its own.
        char last = 0;
        DWORD got = 0;
        OVERLAPPED at{};
        at.Offset = DWORD(size.QuadPart - 1);
        at.OffsetHigh = DWORD((size.QuadPart - 1) >> 32);
        ok = ReadFile(file, &last, 1, &got, &at);
        if (ok && got == 1 && last != '\n')
            line.insert(0, "\r\n");
    }
    DWORD written = 0;
    ok = ok && WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr) && written == line.size() &&
         FlushFileBuffers(file);
    return ok ? std::string() : ToCp1250Shown(path) + ": " + SystemText(GetLastError());
}

// The fields of one line, unquoted; false when its quotes do not pair up.
bool SplitFields(std::string_view line, std::vector<std::string>& fields)
{
    fields.clear();
    for (size_t at = 0;; ++at) {
        std::string& field = fields.emplace_back();
        if (at < line.size() && line[at] == '"') {
            for (++at;; ++at) {
                if (at >= line.size())
                    return false;
                if (line[at] == '"' && (at + 1 >= line.size() || line[at + 1] != '"'))
                    break;
                at += line[at] == '"';
                field += line[at];
            }
            if (++at < line.size() && line[at] != ';')
                return false;
        } else {
            const size_t end = std::min(line.find(';', at), line.size());
            field.assign(line.substr(at, end - at));
            at = end;
        }
        if (at >= line.size())
            return true;
    }
}

// A line of the journal as the reading needs it.
struct Line {
    std::uint64_t stamp;  // YYYYMMDDhhmmss
    long id;
    bool automatic;
    PrintResult result;
};

// The texts a line of the key has, as they stand in the file.
struct KeyFields {
    explicit KeyFields(const JournalKey& key)
        : agenda(FieldText(key.agenda)),
          year(FieldText(key.year)),
          kind(KindText(key.kind)),
          automatic(ToUtf8(kOrigins[int(PrintOrigin::Automatic)]))
    {
        for (size_t i = 0; i < std::size(kResults); ++i)
            results[i] = ToUtf8(kResults[i]);
    }
    std::string agenda, year, kind, automatic;
    std::string results[std::size(kResults)];
};

bool ParseStamp(const std::string& text, std::uint64_t* stamp)
{
    unsigned y, mo, d, h, mi, s;
    int length = 0;
    if (text.size() != 19 ||
        std::sscanf(text.c_str(), "%4u-%2u-%2u %2u:%2u:%2u%n", &y, &mo, &d, &h, &mi, &s, &length) != 6 ||
        length != 19)
        return false;
    *stamp = ((((std::uint64_t(y) * 100 + mo) * 100 + d) * 100 + h) * 100 + mi) * 100 + s;
    return true;
}

SYSTEMTIME TimeOfStamp(std::uint64_t stamp)
{
    SYSTEMTIME time{};
    time.wSecond = WORD(stamp % 100);
    time.wMinute = WORD(stamp / 100 % 100);
    time.wHour = WORD(stamp / 10000 % 100);
    time.wDay = WORD(stamp / 1000000 % 100);
    time.wMonth = WORD(stamp / 100000000 % 100);
    time.wYear = WORD(stamp / 10000000000ull);
    return time;
}

// True for a whole line of the key; the header and anything else fail here.
bool ParseLine(std::string_view text, const KeyFields& key, std::vector<std::string>& fields, Line* line)
{
    if (!SplitFields(text, fields) || fields.size() != kColumns || fields[1] != key.agenda ||
        fields[2] != key.year || fields[3] != key.kind || !ParseStamp(fields[0], &line->stamp))
        return false;
    char* end = nullptr;
    line->id = std::strtol(fields[5].c_str(), &end, 10);
    if (fields[5].empty() || *end)
        return false;
    line->automatic = fields[9] == key.automatic;
    for (size_t result = 0; result < std::size(kResults); ++result) {
        if (fields[10] == key.results[result]) {
            line->result = PrintResult(result);
            return true;
        }
    }
    return false;
}

// Calls take with every whole line of the file, its line end removed. What follows the last
// line end is a line torn by a crash, or one being written now: it is left out.
void ReadLines(const std::wstring& path, const std::function<void(std::string_view)>& take)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return;
    std::vector<char> block(1 << 20);
    std::string pending;
    bool overlong = false;
    DWORD got = 0;
    while (ReadFile(file.Get(), block.data(), DWORD(block.size()), &got, nullptr) && got > 0) {
        pending.append(block.data(), got);
        size_t start = 0;
        for (size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
            const size_t length = end - start - (end > start && pending[end - 1] == '\r');
            if (!overlong)
                take(std::string_view(pending).substr(start, length));
            overlong = false;
        }
        pending.erase(0, start);
        if (pending.size() > kLongestLine) {
            pending.clear();
            overlong = true;
        }
    }
}

// The journal's files by month, newest first.
std::map<int, std::vector<std::wstring>, std::greater<int>> MonthFiles(const std::wstring& folder)
{
    std::map<int, std::vector<std::wstring>, std::greater<int>> months;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\tisk-*.csv").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return months;
    do {
        const int month = MonthOfFileName(found.cFileName);
        if (month && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            months[month].push_back(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return months;
}

// The lines of key in one month's files, oldest first; equal times keep their file order.
std::vector<Line> MonthLines(const std::vector<std::wstring>& files, const KeyFields& key)
{
    std::vector<Line> lines;
    std::vector<std::string> fields;
    for (const std::wstring& path : files) {
        ReadLines(path, [&](std::string_view text) {
            Line line;
            if (ParseLine(text, key, fields, &line))
                lines.push_back(line);
        });
    }
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.stamp < b.stamp; });
    return lines;
}

}  // namespace

PrintJournal::PrintJournal(std::wstring folder) : folder_(std::move(folder)) {}

std::wstring PrintJournal::DefaultFolder()
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)) && path)
        folder = std::wstring(path) + L"\\Quillet";
    CoTaskMemFree(path);
    return folder;
}

PrintJournal::Write PrintJournal::Record(const JournalEntry& entry)
{
    std::string failure;
    try {
        failure = Append(entry);
    } catch (const std::bad_alloc&) {
        failure = SystemText(ERROR_NOT_ENOUGH_MEMORY);
    } catch (const std::exception& error) {
        failure = error.what();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    const bool wasFailing = failing_;
    failing_ = !failure.empty();
    if (!failing_)
        return Write::Written;
    failure_ = failure;
    return wasFailing ? Write::FailedAgain : Write::Failed;
}

std::string PrintJournal::FailureText() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return FormatText("Deník tisků nelze zapsat: %s\nTisk tím není dotčen.", failure_.c_str());
}

std::string PrintJournal::Append(const JournalEntry& entry) const
{
    if (folder_.empty())
        return "Windows neuvádí složku dat aplikací uživatele.";
    SYSTEMTIME time = entry.time;
    if (time.wYear == 0)
        GetLocalTime(&time);
    const std::string line = EntryLine(entry, time);

    const DWORD attributes = GetFileAttributesW(folder_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES && !CreateDirectoryW(folder_.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return ToCp1250Shown(folder_) + ": " + SystemText(GetLastError());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ToCp1250Shown(folder_) + " je soubor, ne složka.";

    WriterTurn turn;
    for (int file = 1; file <= kFilesPerMonth; ++file) {
        const std::wstring path = folder_ + L"\\" + MonthFileName(time.wYear, time.wMonth, file);
        // A file being made is held for a moment; one Excel has open is held for long.
        for (int attempt = 0; attempt < kAttemptsPerFile; ++attempt) {
            if (attempt)
                Sleep(kAttemptPauseMs);
            FileHandle handle = OpenToAppend(path, false);
            if (!handle && GetLastError() == ERROR_FILE_NOT_FOUND)
                handle = OpenToAppend(path, true);
            if (handle)
                return AppendLine(handle.Get(), path, line);
            const DWORD error = GetLastError();
            if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION && error != ERROR_FILE_EXISTS)
                return ToCp1250Shown(path) + ": " + SystemText(error);
        }
    }
    return ToCp1250Shown(folder_ + L"\\" + MonthFileName(time.wYear, time.wMonth, 1)) + ": " +
           SystemText(ERROR_SHARING_VIOLATION);
}

std::map<long, SYSTEMTIME> PrintJournal::LastPrinted(const JournalKey& key, const std::set<long>& ids,
                                                     const SYSTEMTIME& since) const
{
    const KeyFields fields(key);
    std::map<long, std::uint64_t> last;
    for (const auto& [month, files] : MonthFiles(folder_)) {
        // A later month has the later prints: once every id has one, the older months
        // cannot change the answer.
        if (month < since.wYear * 100 + since.wMonth || last.size() == ids.size())
            break;
        for (const Line& line : MonthLines(files, fields)) {
            if (line.result == PrintResult::Printed && ids.count(line.id))
                last[line.id] = std::max(last[line.id], line.stamp);
        }
    }
    std::map<long, SYSTEMTIME> times;
    for (const auto& [id, stamp] : last)
        times[id] = TimeOfStamp(stamp);
    return times;
}

AutomaticHistory PrintJournal::Automatic(const JournalKey& key) const
{
    const KeyFields fields(key);
    AutomaticHistory history;
    bool found = false;
    for (const auto& [month, files] : MonthFiles(folder_)) {
        const std::vector<Line> lines = MonthLines(files, fields);
        for (auto line = lines.rbegin(); line != lines.rend() && !found; ++line) {
            if (line->automatic && line->result == PrintResult::WatchEnded) {
                found = true;
            } else if (line->automatic) {
                history.newestId = std::max(history.newestId, line->id);
                found = history.watched = line->result == PrintResult::WatchStarted;
                if (!history.watched)
                    history.handled.insert(line->id);
            }
            if (line->result == PrintResult::Printed)
                history.printed.insert(line->id);
        }
        if (found)
            break;
    }
    std::set_difference(history.handled.begin(), history.handled.end(), history.printed.begin(),
                        history.printed.end(), std::inserter(history.unprinted, history.unprinted.end()));
    return history;
}
