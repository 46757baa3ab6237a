// The print thread: its own OLE apartment, the request with the picker where the mode asks
// for it, and the message to the main window at the end.
#include "app/PrintWorker.h"

#include <ole2.h>

#include "app/TrayApp.h"
#include "framework/MessageBox.h"
#include "print/DocPickerDlg.h"
#include "printer/PrintRoute.h"

PrintWorker::PrintWorker(HWND notify, const AgendaConfig& config, PrintMode mode) : notify_(notify), mode_(mode)
{
    config_.CopySettings(config);
    thread_ = std::thread([this] { Run(); });
}

PrintWorker::~PrintWorker()
{
    if (thread_.joinable())
        thread_.join();
}

void PrintWorker::Run()
{
    // The component is an in-process server of the apartment model: created here, it
    // lives and is called in this thread's apartment.
    if (SUCCEEDED(OleInitialize(nullptr))) {
        // The picker, the question and every message of the print are shown by this thread,
        // as the print's own windows, without an owner on the main window's thread; the
        // question is system-modal and so stays on top of the host.
        ::PrintRequest(config_, mode_, [this](const std::string& tablePath, long& docId) {
            CDocPickerDlg picker(tablePath);
            picker.SetPreviewer([this](long id, DocumentJob& job) {
                return PreviewDocument(config_, id, job) == PrintOutcome::Printed;
            });
            const DocumentRoute route = ChooseDocumentRoute(config_.Port, config_.Rezim);
            if (route.way == DocumentWay::Drawn)
                picker.SetDrawnQueue(route.queue);
            if (picker.DoModal() != IDOK)
                return false;
            // What the preview showed is what is printed, not a new layout of the document.
            if (const DocumentJob* shown = picker.ShownDocument()) {
                PrintDocumentJob(config_, *shown);
                return false;
            }
            docId = picker.SelectedDocId();
            return true;
        });
        OleUninitialize();
    } else {
        ShowMessageBox(kOleFailedText, MB_OK | MB_ICONEXCLAMATION);
    }
    PostMessageA(notify_, WM_PRINTENDED, 0, 0);
}
