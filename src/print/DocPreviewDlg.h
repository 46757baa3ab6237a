// CDocPreviewDlg: a document as the printer will put it on paper, drawn from the bytes
// its layout produced, before anything goes to the port.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/Dialog.h"
#include "framework/Dpi.h"
#include "framework/Gdi.h"
#include "print/escp/EscpRender.h"

// What the preview shows: the sheets of one document, each drawn only when asked.
class PreviewSheets {
public:
    virtual ~PreviewSheets() = default;
    virtual double WidthInches() const = 0;  // every sheet's
    virtual size_t Count() const = 0;
    // Pixels high at dpi pixels per inch of paper.
    virtual int Height(size_t sheet, double dpi) const = 0;
    virtual EscpPageImage Draw(size_t sheet, double dpi) const = 0;
};

// A job's sheets as they will come out: continuous form paper or, for the printer queue
// that gets drawn pages (drawnQueue, when its paper can be learned), its own sheets. One
// reading of the job finds where each begins; bytes must outlive them.
std::unique_ptr<PreviewSheets> MakePreviewSheets(const std::string& bytes, const std::string& drawnQueue);

// Pixels per inch of paper the preview draws at: the sheet as wide as the view, but at
// most 150 on a screen of 96 dpi, and as much more as a screen of more dpi has.
double PreviewRasterDpi(int viewWidth, double sheetInches, unsigned screenDpi);

class CDocPreviewDlg : public CDialog {
public:
    // bytes: the whole job as the port would receive it, kept by the caller while the
    // preview is open; number names the document. drawnQueue: the printer queue the
    // document will be drawn on, whose sheets are then shown as they will be drawn; empty
    // for continuous form paper.
    CDocPreviewDlg(const std::string& bytes, const std::wstring& number, HWND parent,
                   const std::string& drawnQueue = {});
    // Shows the sheets given.
    CDocPreviewDlg(std::unique_ptr<PreviewSheets> sheets, const std::wstring& number, HWND parent);
    ~CDocPreviewDlg() override;

    // Runs the preview: "Tisk" gives IDOK; "Zavřít", Esc and the close box IDCANCEL. A
    // failure while it is open (a sheet that cannot be drawn, memory running out) closes
    // it with one message that says what failed, and gives IDCANCEL.
    INT_PTR Show();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    class PageView;
    // Buttons at the bottom right, the page view over everything above them.
    void Layout();
    // The window moved to a monitor of another resolution: its buttons, their font and
    // its sheets follow.
    void OnDpiChanged(unsigned dpi, const RECT& suggested);

    std::function<std::unique_ptr<PreviewSheets>()> makeSheets_;
    std::unique_ptr<PreviewSheets> sheets_;
    std::unique_ptr<PageView> view_;
    std::wstring caption_;
    unsigned dpi_ = kDefaultDpi;      // of the screen the window is on
    unsigned openDpi_ = kDefaultDpi;  // of the screen it opened on
    SIZE button_{}, margin_{};        // pixels at openDpi_
    LOGFONTW openFont_{};             // the buttons' font at openDpi_
    Font font_;                       // theirs at dpi_, once that differs
};
