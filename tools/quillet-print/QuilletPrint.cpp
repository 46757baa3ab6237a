// quillet-print: the tray's print request from a console. Message boxes become lines on
// the console (UTF-8); a question is answered Yes only with --yes.
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "InstallationCheck.h"
#include "config/AgendaConfig.h"
#include "framework/MessageBox.h"
#include "framework/WideText.h"
#include "host/ComponentApartment.h"
#include "print/PrintJournal.h"
#include "print/PrintRequest.h"
#include "printer/PrinterPort.h"

namespace {

const char kUsage[] =
    "usage: quillet-print [--yes] [--verbose] last-tax | last-delivery | id N\n"
    "       quillet-print --check\n"
    "  last-tax        the newest cash tax document (as F10)\n"
    "  last-delivery   the newest delivery note (as F11)\n"
    "  id N            the document whose CDokladu is N (as a choice in the picker)\n"
    "  --yes           answer Yes to the confirmation (otherwise it is answered No)\n"
    "  --verbose       say which way the bytes go (printer queue, device, share or file),\n"
    "                  how many were sent, and why a port failed\n"
    "  --check         checks the installation step by step and prints nothing\n"
    "The agenda is the one the host last opened; seller and port come from Quillet.ini\n"
    "beside this program. Every print is recorded in the journal of prints\n"
    "(%LOCALAPPDATA%\\Quillet\\tisk-YYYY-MM.csv), as the tray's are.\n"
    "Exit status: 0 a document was printed, 1 nothing was printed, 2 an error;\n"
    "with --check 0 when all is well, 2 otherwise.\n";

enum ExitStatus { kPrinted = 0, kNothingPrinted = 1, kError = 2 };

std::string Utf8FromCp1250(const std::string& text)
{
    return ToUtf8(ToWide(text));
}

void Write(const std::string& utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

struct Arguments {
    bool yes = false;
    bool verbose = false;
    PrintMode mode = LastTaxDocument;
    long docId = 0;
};

bool ParseId(const char* text, long& id)
{
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text, &end, 10);
    if (errno || end == text || *end || value < LONG_MIN || value > LONG_MAX)
        return false;
    id = static_cast<long>(value);
    return true;
}

// False for anything that is not exactly one command.
bool Parse(int argc, char** argv, Arguments& args)
{
    int commands = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--yes") {
            args.yes = true;
        } else if (arg == "--verbose") {
            args.verbose = true;
        } else if (arg == "last-tax") {
            args.mode = LastTaxDocument;
            ++commands;
        } else if (arg == "last-delivery") {
            args.mode = LastDeliveryNote;
            ++commands;
        } else if (arg == "id" && i + 1 < argc && ParseId(argv[i + 1], args.docId)) {
            args.mode = ChooseDocument;
            ++commands;
            ++i;
        } else {
            return false;
        }
    }
    return commands == 1;
}

// The check's lines and whatever a lower layer would show in a message box go to the
// console alike.
int RunCheck()
{
    SetConsoleOutputCP(CP_UTF8);
    SetMessageBoxHandler([](const std::wstring& text, UINT) {
        Write(ToUtf8(text) + "\n");
        return IDOK;
    });
    // The one thread calls the component, in the apartment its registration asks for.
    const ComponentApartment apartment(false);
    if (!apartment.Entered()) {
        Write("Nelze inicializovat OLE.\n");
        return kError;
    }
    return RunInstallationCheck([](const std::string& line) { Write(Utf8FromCp1250(line)); });
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 ||
            std::strcmp(argv[i], "/?") == 0) {
            Write(kUsage);
            return kPrinted;
        }
    }
    if (argc == 2 && std::strcmp(argv[1], "--check") == 0)
        return RunCheck();
    Arguments args;
    if (!Parse(argc, argv, args)) {
        std::fputs(kUsage, stderr);
        return kError;
    }
    SetConsoleOutputCP(CP_UTF8);

    int shown = 0;
    SetMessageBoxHandler([&](const std::wstring& text, UINT flags) {
        ++shown;
        std::string line = ToUtf8(text);
        if ((flags & MB_TYPEMASK) == MB_YESNO) {
            const int answer = args.yes ? IDYES : IDNO;
            Write(line + (answer == IDYES ? " [Ano]\n" : " [Ne]\n"));
            return answer;
        }
        Write(line + "\n");
        return IDOK;
    });

    if (args.verbose)
        SetPortTrace([](const std::string& line) { Write(Utf8FromCp1250(line) + "\n"); });

    const ComponentApartment apartment(false);
    if (!apartment.Entered()) {
        Write("Nelze inicializovat OLE.\n");
        return kError;
    }
    int status = kError;
    {
        AgendaConfig config;
        config.Load();
        // Load speaks only when it cannot find the host; the tray would go on with empty
        // folders, which can only end in a data error.
        if (shown == 0) {
            const long docId = args.docId;
            DocumentChooser choose = [docId](const std::string&, long& chosen) {
                chosen = docId;
                return true;
            };
            // Recorded in the journal like the tray's prints; one that cannot be recorded
            // still prints, and says so.
            PrintJournal journal(PrintJournal::DefaultFolder());
            const AttemptNotice record = [&](JournalEntry& entry) {
                entry.origin = PrintOrigin::Command;
                if (journal.Record(entry) == PrintJournal::Write::Failed)
                    Write(Utf8FromCp1250(journal.FailureText()) + "\n");
            };
            switch (PrintRequest(config, args.mode, choose, {}, BusyClaim::ByRequest, record)) {
            case PrintOutcome::Printed:
                status = kPrinted;
                break;
            case PrintOutcome::NothingPrinted:
                status = kNothingPrinted;
                break;
            case PrintOutcome::Failed:
                status = kError;
                break;
            }
        }
    }
    return status;
}
