// PrintRequest: finds the document to print in the host's document table, asks where the
// mode calls for it and hands the table, on that document, to the document's layout.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "config/AgendaConfig.h"
#include "host/HostTable.h"
#include "print/PrintJob.h"
#include "print/PrintJournal.h"

enum PrintMode {
    LastTaxDocument = 0,   // F10
    LastDeliveryNote = 1,  // F11
    ChooseDocument = 2,    // F9, a left click on the tray icon
};

// The values of a document's "Typ" field.
namespace DocKind {
inline constexpr char TaxDocument[] = "P";   // listed as "Prodejky"
inline constexpr char DeliveryNote[] = "D";  // listed as "Dodací listy"
}  // namespace DocKind

// True from the moment a print is asked for until it has ended: a print asked for
// meanwhile starts nothing, then or later. Message boxes and the picker run message loops
// in which another request may come, and the tray asks the print thread for a print some
// time before that thread runs it.
extern std::atomic<bool> PrintBusy;

// Who set PrintBusy for a request: the request itself, for its length, or its caller,
// who set it when the print was asked for and clears it once the print has ended; or
// nobody, for a print nobody asked for (automatic printing), which leaves the flag to
// the prints that are asked for.
enum class BusyClaim { ByRequest, ByCaller, Unclaimed };

// Lets the user choose a document of the table at tablePath; true (OK) with its
// "CDokladu" in docId. The tray shows the picker here.
using DocumentChooser = std::function<bool(const std::string& tablePath, long& docId)>;

// What a request came to; everything the user needs to know has been shown already.
enum class PrintOutcome {
    Printed,        // a whole document went to the port
    NothingPrinted, // busy, cancelled, declined, nothing found
    Failed,         // a host error, or the port did not open or stopped taking the listing
};

// Told when a document laid out whole starts going to the printer (the document), and
// when it has gone or failed (null), before any message about it is shown.
using SendingNotice = std::function<void(const DocumentJob* sending)>;

// Told of every document a request tried to print, once it has gone to the printer or
// failed and its messages have been shown: its line of the journal, all but the origin
// and the time filled in.
using AttemptNotice = std::function<void(JournalEntry& attempt)>;

// The entry every print starts through: finds the document the mode asks for (asking
// whether to print it, or letting choose pick it), lays it out whole and sends it. With
// BusyClaim::ByRequest it starts nothing while PrintBusy is set.
PrintOutcome PrintRequest(AgendaConfig& config, PrintMode mode, const DocumentChooser& choose = {},
                          const SendingNotice& sending = {}, BusyClaim busy = BusyClaim::ByRequest,
                          const AttemptNotice& attempted = {});

// The document table of the agenda's year.
std::string DocumentTablePath(const AgendaConfig& config);
// The journal's name for the documents of kind in the agenda's year.
JournalKey JournalKeyOf(const AgendaConfig& config, const std::string& kind);

// Walks back from the newest record of the open document table to the newest of the
// given kind; false when none of the records RecordCount gave is of that kind.
bool FindNewest(HostTable& table, const char* kind);

// Lays out the document whose "CDokladu" is docId into job: exactly what printing it
// would send. Printed when job holds the whole document; a host error has been shown as a
// print shows it, and nothing was sent anywhere.
PrintOutcome PreviewDocument(AgendaConfig& config, long docId, DocumentJob& job);

// Sends a document laid out whole, such as the one a preview showed, to the agenda's
// printer; when the printer does not take it, the one message saying why is shown here.
// Printed or Failed.
PrintOutcome PrintDocumentJob(const AgendaConfig& config, const DocumentJob& job, const SendingNotice& sending = {},
                              const AttemptNotice& attempted = {});
