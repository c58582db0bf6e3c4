// CKorvaneApp: process start-up and shutdown (first thread only).
#include "korvane_app.h"

#include "capture/recording_thread.h"
#include "app/registered_messages.h"
#include "app/single_instance.h"

#include "ansi_text.h"
#include "skin_api.h"
#include "skin_file.h"
#include "ui/korvane_dlg.h"
#include "ui/recovery_offer.h"

#include <commctrl.h>

CKorvaneApp theApp;

BOOL CKorvaneApp::InitInstance()
{
    RegisterAppMessages();
    // The arrow is this thread's cursor from the start, so that it is made when our
    // first window is. Under Wine the first system cursor sets up an X extension with a
    // round trip on the connection that screen copies use too; left until the pointer
    // first crosses one of our windows, that can fall in a recording's first frames, and
    // the X library then deadlocks the window thread and the recording thread.
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    SkinInitialize(instance, "korvane", nullptr, 0);
    SkinLoadFile(korvane::SkinFilePathFor(korvane::ModuleFileName(nullptr)).c_str());
    SkinSetDialogScheme("Dialog");

    RecorderInstance recorder;
    if (!recorder.Claim())
        return FALSE;
    OfferInterruptedRecordings();
    {
        CKorvaneDlg dialog;
        dialog.DoModal();
    }
    // The process must not end under a recording thread still finishing its files.
    WaitForRecordingThread(10000);
    return FALSE;
}

int CKorvaneApp::ExitInstance()
{
    SkinExit();
    return 0;
}
