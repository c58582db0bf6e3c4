// SubclassedControl: takes over an existing child control of a dialog (a static, say)
// so that a C++ object sees its messages first, as the dialog classes do. The dialog
// hands WM_COMMAND notifications and WM_CTLCOLOR* requests of a control back to the
// control's object ("reflection", done by DialogBase), so a control can answer its own
// clicks and colours. UI thread only; the object must outlive the control's window or
// be destroyed first (it then gives the window its own procedure back).
#pragma once
#include <windows.h>

class SubclassedControl {
public:
    SubclassedControl() = default;
    SubclassedControl(const SubclassedControl&) = delete;
    SubclassedControl& operator=(const SubclassedControl&) = delete;
    virtual ~SubclassedControl();

    // Takes over control `id` of `parent`; PreSubclassWindow runs first. False when
    // there is no such control or it already belongs to an object.
    bool SubclassDlgItem(int id, HWND parent);
    HWND Hwnd() const { return m_hwnd; }

    // For the parent dialog: gives a notification or colour request to the object of the
    // control it concerns. True (with `result`) when the control answered it.
    static bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    virtual void PreSubclassWindow() {}
    // Messages of the control; unhandled ones go to Default.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return Default(message, wParam, lParam);
    }
    // A notification (WM_COMMAND) or colour request (WM_CTLCOLOR*) of this control.
    virtual bool OnReflected(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Unsubclass();
    HWND m_hwnd = nullptr;
    WNDPROC m_original = nullptr;
};
