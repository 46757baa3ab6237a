// The print journal: every print attempt as one line of a file a shop opens in Excel (CSV
// with ';' and a UTF-8 byte order mark, one file a month) in the user's local application
// data. Lines are only ever appended; reading skips a line torn by a crash.
#pragma once

#include <windows.h>

#include <map>
#include <mutex>
#include <set>
#include <string>

// What started a print.
enum class PrintOrigin { KeyF10, KeyF11, Picker, Command, Automatic };

// How the document went to the printer; None when the print failed before that was known.
enum class PrintWay { None, Escp, Drawn };

enum class PrintResult {
    Printed,
    Failed,        // the reason says why
    // Automatic printing only:
    NotPrinted,    // a new document it left unprinted; the reason says why
    WatchStarted,  // it began to watch; the document is the newest one then (id 0: none)
    WatchEnded,    // it stopped watching while Quillet went on (switched off, another year)
};

// The documents of one kind ("P" or "D") of one agenda and year, by their folder names.
struct JournalKey {
    std::string agenda;
    std::string year;
    std::string kind;
};

// One line. Texts are code page 1250, like every text of the program; a line break in one
// is written as a space, so that each entry stays one line of the file.
struct JournalEntry {
    SYSTEMTIME time{};  // local; a zero year takes the time of writing
    JournalKey key;
    std::string number;  // "CisloDokla"
    long id = 0;         // "CDokladu"
    std::string port;
    PrintWay way = PrintWay::None;
    int copies = 1;
    PrintOrigin origin = PrintOrigin::KeyF10;
    PrintResult result = PrintResult::Printed;
    std::string reason;
};

// What automatic printing did with the documents of one key since it last began to watch.
struct AutomaticHistory {
    bool watched = false;       // a start of watching was found, and no end after it
    long newestId = 0;          // the highest id of that start and of the automatic lines after it
    std::set<long> handled;     // printed, failed or left unprinted by automatic printing since
    std::set<long> unprinted;   // of handled, those no print of any origin has printed since
    std::set<long> printed;     // printed since, whatever started it
};

class PrintJournal {
public:
    enum class Write { Written, Failed, FailedAgain };

    // The month files lie in folder, which is made when missing (its parent is not).
    explicit PrintJournal(std::wstring folder);
    // %LOCALAPPDATA%\Quillet; empty when Windows does not say where that is.
    static std::wstring DefaultFolder();
    const std::wstring& Folder() const { return folder_; }

    // Appends the entry as one line and flushes it to the disk; from any thread, never
    // throws. Failed the first time a line cannot be written (since this object was made,
    // or since the last line that was), FailedAgain while it still cannot: a caller shows
    // FailureText on Failed only, and prints on either way.
    Write Record(const JournalEntry& entry);
    // The message for the last failure (code page 1250).
    std::string FailureText() const;

    // The time of the last successful print, of any origin, of each of ids, looked for from
    // the month of since to the newest; ids never printed there are left out.
    std::map<long, SYSTEMTIME> LastPrinted(const JournalKey& key, const std::set<long>& ids,
                                           const SYSTEMTIME& since) const;
    // Read back, newest month first, to the latest start or end of watching of key.
    AutomaticHistory Automatic(const JournalKey& key) const;

private:
    std::string Append(const JournalEntry& entry) const;

    std::wstring folder_;
    mutable std::mutex mutex_;
    bool failing_ = false;
    std::string failure_;
};
