// CProgressDialog: the "Convert Progress" window with one progress bar, made hidden once
// by the main window and shown while a recording's audio is merged. UI thread only.
#pragma once
#include "dialog_base.h"

#include <windows.h>

class CProgressDialog : public DialogBase {
public:
    // Creates the window from its template, hidden; `parent` may be null.
    explicit CProgressDialog(HWND parent);
    ~CProgressDialog() override;

    HWND m_progress = nullptr;  // control 1025, bound when the window is made

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};
