// CAboutDlg: the About box with the program's icon, name and version.
#pragma once

#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND parent = nullptr);
    ~CAboutDlg() override;

protected:
    void DoDataExchange(bool save) override;
};
