// CDocPreviewDlg: a document as the printer will put it on paper, drawn from the bytes
// its layout produced, before anything goes to the port.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Dialog.h"

class CDocPreviewDlg : public CDialog {
public:
    // bytes: the whole job as the port would receive it; number names the document.
    // drawnQueue: the printer queue the document will be drawn on, whose sheets are then
    // shown as they will be drawn; empty for continuous form paper.
    // "Tisk" ends the dialog with IDOK; "Zavřít", Esc and the close box with IDCANCEL.
    CDocPreviewDlg(std::string bytes, const std::wstring& number, HWND parent, const std::string& drawnQueue = {});
    ~CDocPreviewDlg() override;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    class PageView;
    // Buttons at the bottom right, the page view over everything above them.
    void Layout();

    std::unique_ptr<PageView> view_;
    std::wstring caption_;
};
