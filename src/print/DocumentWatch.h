// DocumentWatch: automatic printing. It watches the year's document table for new
// documents of the kinds switched on, prints each without a question once its rows have
// stopped changing, and records each in the journal, which keeps it to once across
// restarts. It lives on the print thread, the one thread that calls the host's component,
// and never shows a window: what the user should know goes to the tray as a notice.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "config/AgendaConfig.h"
#include "print/PrintJournal.h"
#include "print/PrintRequest.h"

class ComponentApartment;

class DocumentWatch {
public:
    // Told what the tray is to say (code page 1250): new documents left unprinted, a journal
    // that cannot be written, a document table that cannot be read.
    using Notice = std::function<void(const std::string& text)>;

    DocumentWatch(PrintJournal& journal, Notice notice);
    ~DocumentWatch();
    DocumentWatch(const DocumentWatch&) = delete;
    DocumentWatch& operator=(const DocumentWatch&) = delete;

    // The settings of a load: starts watching a kind switched on, stops one switched off,
    // and follows the host to another agenda or year. The first call is Quillet's start:
    // documents that came while it was stopped are recorded as not printed, and said.
    void Configure(const AgendaConfig& config, ComponentApartment& apartment);
    // Signalled when something in the year's folder has changed; null when there is no
    // notification to wait for.
    HANDLE FolderChanged() const { return folderChanged_; }
    // Milliseconds until the watch would look again by itself; INFINITE while it is off.
    DWORD Wait() const;
    // Looks for new documents and prints those that are whole, oldest first, until stop
    // says to stop (a print asked for is waiting, Quillet ends). sending as for a print.
    void Look(ComponentApartment& apartment, const SendingNotice& sending, const std::function<bool()>& stop);
    // A print of another origin: a new document it printed is not printed again.
    void Printed(const JournalEntry& entry);

private:
    struct Kind {
        const char* typ;
        bool on = false;
        bool starting = false;  // to be begun when the table can be read
        bool atStart = false;   // begun at Quillet's start
        long floor = 0;         // documents with a higher id are new
    };
    struct Pending {
        long id;
        size_t kind;
        std::string number;
        DWORD seen;  // tick count
    };
    struct FileStamp {
        bool known = false;
        ULONGLONG size = 0;
        ULONGLONG written = 0;
        bool operator!=(const FileStamp& other) const
        {
            return known != other.known || size != other.size || written != other.written;
        }
    };

    bool Watching() const;
    // Into the apartment the component's registration asks for; HostError when none.
    void EnterApartment();
    // Reads the newest document and begins the kinds waiting to; false when the table
    // cannot be read.
    bool Begin();
    // Documents of kind with an id above after that came while Quillet was stopped,
    // recorded as not printed; their number.
    long RecordMissed(HostTable& table, size_t kind, const AutomaticHistory& history);
    // Adds the documents above the newest seen to the ones waiting to be printed, as seen
    // at now (the tick count every time of the look is measured from).
    void FindNew(DWORD now);
    bool HasRows(long id);
    // Prints one document waiting and records it; false when it was not printed.
    bool PrintOne(const Pending& document, const SendingNotice& sending);
    bool Chosen(const std::string& vystavil) const;
    JournalEntry Entry(size_t kind, PrintResult result) const;
    void Record(JournalEntry& entry);
    // Says the table cannot be read, once until it can.
    void Problem(const std::string& text);
    void WatchFolder();
    static FileStamp StampOf(const std::string& path);

    PrintJournal& journal_;
    Notice notice_;
    AgendaConfig config_;
    bool configured_ = false;
    Kind kinds_[2] = {{DocKind::TaxDocument}, {DocKind::DeliveryNote}};
    bool established_ = false;  // lastSeen_ read from the table
    long lastSeen_ = 0;         // the highest id looked at
    std::vector<Pending> pending_;
    std::set<long> printedElsewhere_;
    FileStamp documents_, items_;
    DWORD itemsChanged_ = 0;
    bool failing_ = false;
    HANDLE folderChanged_ = nullptr;
    ComponentApartment* apartment_ = nullptr;  // during a call from the print thread
};

// "2 nové doklady nebyly vytištěny – F9", as the tray says it.
std::string UnprintedText(long count);
