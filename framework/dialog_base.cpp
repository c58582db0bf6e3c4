// The static dialog procedure behind DialogBase (UI thread).
#include "dialog_base.h"

#include "exception_barrier.h"
#include "subclassed_control.h"

INT_PTR DialogBase::DoModal(HINSTANCE instance, int templateId, HWND parent)
{
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), parent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

HWND DialogBase::Create(HINSTANCE instance, int templateId, HWND parent)
{
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogBase* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase*>(lParam);
        self->m_hwnd = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    INT_PTR handled = FALSE;
    try {
        LRESULT reflected = 0;
        if (SubclassedControl::Reflect(message, wParam, lParam, reflected)) {
            // A dialog procedure answers colour requests with the brush itself.
            if (message == WM_COMMAND)
                return TRUE;
            return static_cast<INT_PTR>(reflected);
        }
        handled = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        korvane::ReportCaughtException("a dialog procedure");
        handled = FALSE;
    }
    if (message == WM_NCDESTROY)
        self->m_hwnd = nullptr;
    return handled;
}
