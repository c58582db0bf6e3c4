// Configure and about dialogs of the Video 1 driver (the sending thread).
#include "codec_dialogs.h"

#include "resource.h"

namespace kvmsvc {

INT_PTR ConfigureDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(Hwnd(), IDC_QUALITY, EM_LIMITTEXT, 3, 0);
        SetDlgItemInt(Hwnd(), IDC_QUALITY, m_state.defaultQuality / 100, FALSE);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: OnOK(); return TRUE;
        case IDCANCEL: EndDialog(IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

void ConfigureDialog::OnOK()
{
    BOOL translated = FALSE;
    UINT percent = GetDlgItemInt(Hwnd(), IDC_QUALITY, &translated, FALSE);
    if (!translated || percent > 100) {
        // Keep the dialog open on the bad value instead of guessing what was meant.
        MessageBeep(MB_ICONEXCLAMATION);
        HWND edit = GetDlgItem(Hwnd(), IDC_QUALITY);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        return;
    }
    m_state.defaultQuality = percent * 100;
    EndDialog(IDOK);
}

INT_PTR AboutDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(IDOK);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace kvmsvc
