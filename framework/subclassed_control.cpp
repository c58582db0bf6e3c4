// Subclassing and reflection behind SubclassedControl (UI thread).
#include "subclassed_control.h"

#include "exception_barrier.h"

namespace {
const char kObjectProperty[] = "KorvaneControlObject";

SubclassedControl* ObjectOf(HWND hwnd)
{
    return hwnd ? static_cast<SubclassedControl*>(GetPropA(hwnd, kObjectProperty)) : nullptr;
}
}  // namespace

SubclassedControl::~SubclassedControl() { Unsubclass(); }

bool SubclassedControl::SubclassDlgItem(int id, HWND parent)
{
    HWND hwnd = GetDlgItem(parent, id);
    if (!hwnd || m_hwnd || ObjectOf(hwnd))
        return false;
    m_hwnd = hwnd;
    PreSubclassWindow();
    SetPropA(hwnd, kObjectProperty, this);
    m_original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
    return true;
}

void SubclassedControl::Unsubclass()
{
    if (!m_hwnd)
        return;
    SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_original));
    RemovePropA(m_hwnd, kObjectProperty);
    m_hwnd = nullptr;
}

LRESULT SubclassedControl::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(m_original, m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK SubclassedControl::ControlProc(HWND hwnd, UINT message, WPARAM wParam,
                                                LPARAM lParam)
{
    SubclassedControl* self = ObjectOf(hwnd);
    if (!self)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The window goes before the object: give it its own procedure back first.
        WNDPROC original = self->m_original;
        self->Unsubclass();
        return CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        korvane::ReportCaughtException("a control procedure");
        return CallWindowProcA(self->m_original, hwnd, message, wParam, lParam);
    }
}

bool SubclassedControl::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const bool notification = message == WM_COMMAND && lParam != 0;
    const bool colour = message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
    if (!notification && !colour)
        return false;
    SubclassedControl* control = ObjectOf(reinterpret_cast<HWND>(lParam));
    return control && control->OnReflected(message, wParam, lParam, result);
}
