// DialogBase: the dialog twin of WindowBase. The object travels in WM_INITDIALOG's
// lParam, is kept in DWLP_USER, and every later message goes to HandleMessage (a plain
// switch in each dialog). DoModal runs the dialog from a resource template.
// UI thread only.
#pragma once
#include <windows.h>

class DialogBase {
public:
    DialogBase() = default;
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;
    virtual ~DialogBase() = default;

    // Runs the dialog on template `templateId` of `instance`; returns EndDialog's result,
    // or -1 when the dialog could not be created.
    INT_PTR DoModal(HINSTANCE instance, int templateId, HWND parent);
    // Creates the dialog modeless; null when it could not be created. The caller
    // destroys the window before the object goes.
    HWND Create(HINSTANCE instance, int templateId, HWND parent);

    HWND Hwnd() const { return m_hwnd; }

protected:
    // Return TRUE when the message was handled (the result then goes to DWLP_MSGRESULT
    // through SetResult), FALSE for the dialog manager's default processing.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    void EndDialog(INT_PTR result) { ::EndDialog(m_hwnd, result); }
    INT_PTR SetResult(LRESULT result)
    {
        SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
};
