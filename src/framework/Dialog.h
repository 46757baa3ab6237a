// CDialog: the base of every dialog of the program, a modal dialog built from one dialog
// resource, with its messages dispatched to virtual handlers and its controls bound by
// data exchange.
#pragma once

#include <windows.h>

#include <exception>
#include <initializer_list>
#include <string>
#include <utility>

class CDialog {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally and returns the result given to EndDialog (IDOK, IDCANCEL
    // ...), or -1 when the dialog could not be created. An exception thrown by a handler
    // ends the dialog and is thrown again from here, after Windows has returned.
    INT_PTR DoModal();

    // The dialog's window while it exists, else null.
    HWND GetSafeHwnd() const { return hwnd_; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(hwnd_, id); }
    UINT TemplateId() const { return templateId_; }

    void EndDialog(INT_PTR result);

    // save = true moves the controls' contents into the members, false the other way.
    // False when a control's contents were refused (the user has been told, and the
    // control has the focus).
    bool UpdateData(bool save = true);

    // The dialog is centred when it opens (on its owner when the owner is visible, else
    // on the screen) unless this is turned off before DoModal, or the init handler has
    // moved the window itself.
    void SetCentreOnOpen(bool centre) { centreOnOpen_ = centre; }

protected:
    // Returns true to let Windows focus the first control, false when the handler has
    // set the focus itself. The base moves the members into the controls.
    virtual BOOL OnInitDialog();
    // OK button or Enter: the base takes the controls' contents and ends with IDOK.
    virtual void OnOK();
    // Cancel button, Esc or the close box: the base ends with IDCANCEL.
    virtual void OnCancel();
    // Any other WM_COMMAND; returns true when handled.
    virtual bool OnCommand(int id, int notifyCode, HWND control);
    // WM_NOTIFY; result is the notification's result, returns true when handled.
    virtual bool OnNotify(int id, NMHDR* header, LRESULT& result);
    // Returns true when the timer was handled fully, false for the default processing.
    virtual bool OnTimer(UINT_PTR id);
    // Returns true when the handler painted (BeginPaint/EndPaint), false for the default.
    virtual bool OnPaint();
    virtual void OnDestroy();
    // Every message the switch does not name, private ones (WM_APP range) among them.
    // Returns true when handled, with the message's result in result.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Binds the members to the controls, through the helpers below.
    virtual void DoDataExchange(bool save);

    // The member is code page 1250; text with a character that 1250 cannot hold is
    // refused, the member then keeps its value.
    void DdxText(bool save, int id, std::string& value);
    // Check box or radio button: BST_UNCHECKED (0), BST_CHECKED (1), BST_INDETERMINATE (2).
    void DdxCheck(bool save, int id, int& value);
    // A control bound to a window handle member; only fetched, never stored.
    void DdxControl(bool save, int id, HWND& control);
    // Several controls at once, each with its member, in the order given.
    void DdxText(bool save, std::initializer_list<std::pair<int, std::string*>> texts);
    void DdxControl(bool save, std::initializer_list<std::pair<int, HWND*>> controls);

    // For a failure caught at the edge of another window of the dialog (a child window's
    // procedure): ends the dialog, and DoModal throws it once Windows has returned. The
    // first failure is the one kept.
    void EndDialogFailed(std::exception_ptr failure);

    // The window text of any control, as the screen shows it.
    std::wstring ItemText(int id) const;
    void SetItemText(int id, const std::wstring& text);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void CentreWindow();

    UINT templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    bool centreOnOpen_ = true;
    bool refused_ = false;
    std::exception_ptr pending_;
};
