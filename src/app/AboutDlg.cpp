// The About box: everything it shows is in its dialog resource.
#include "app/AboutDlg.h"

#include "res/resource.h"

CAboutDlg::CAboutDlg(HWND parent) : CDialog(IDD_ABOUTBOX, parent) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(bool save)
{
    CDialog::DoDataExchange(save);
}
