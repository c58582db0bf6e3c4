// CKorvaneDlg: the main window (UI thread only).
#include "korvane_dlg.h"

#include "about_box.h"
#include "compressor_missing.h"
#include "app/recording_settings.h"
#include "app/registered_messages.h"
#include "audio/progress_dialog.h"
#include "audio/wave_in_capture.h"
#include "capture/compressor_catalogue.h"
#include "caption_blink.h"
#include "app/main_title.h"
#include "app/recording_report.h"
#include "app/recording_state.h"
#include "app/screen_layout.h"
#include "capture/recording_thread.h"
#include "app/scratch_paths.h"
#include "app/single_instance.h"
#include "hook_api.h"
#include "hotkey_rules.h"
#include "options/options_dlg.h"
#include "options/options_rules.h"
#include "options/options_store.h"
#include "region/flashing_wnd.h"
#include "region/region_window.h"
#include "res/resource.h"
#include "finish_plan.h"
#include "recording_finish.h"
#include "recovery_offer.h"
#include "resolve_cursor.h"

#include <commctrl.h>
#include <mmsystem.h>

namespace {

const char kCaption[] = "Korvane";
const char kExitWhileRecording[] = "Please stop video screen capture before exit!";
// How long the end of the process waits for a stopped recording to finish its files: the
// sound device alone takes half a second to hand its buffers back.
const unsigned kRecordingThreadWaitMs = 10000;

}  // namespace

CKorvaneDlg::CKorvaneDlg()
{
    m_hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_KORVANE));
    MeasureScreen();
    // No main window exists yet, so the progress window is top-level without owner.
    m_pProgressDlg.reset(new CProgressDialog(nullptr));
    settings.videoStatusLine = kDefaultVideoStatusLine;
    settings.audioStatusLine = kDefaultAudioStatusLine;
    settings.hotkeyStatusLine = kDefaultHotkeyStatusLine;
}

CKorvaneDlg::~CKorvaneDlg() = default;

INT_PTR CKorvaneDlg::DoModal()
{
    return DialogBase::DoModal(GetModuleHandleA(nullptr), IDD_KORVANE_DIALOG, nullptr);
}

BOOL CKorvaneDlg::OnInitDialog()
{
    HWND hwnd = Hwnd();
    m_btnRecord = GetDlgItem(hwnd, IDC_RECORD);
    m_btnPause = GetDlgItem(hwnd, IDC_PAUSE);
    m_btnStop = GetDlgItem(hwnd, IDC_STOP);
    m_btnOptions = GetDlgItem(hwnd, IDC_OPTIONS);
    m_btnExit = GetDlgItem(hwnd, IDC_EXIT);
    m_videoStatus = GetDlgItem(hwnd, IDC_VIDEO_STATUS);
    m_audioStatus = GetDlgItem(hwnd, IDC_AUDIO_STATUS);
    m_hotkeyStatus = GetDlgItem(hwnd, IDC_HOTKEY_STATUS);
    m_regionStatus = GetDlgItem(hwnd, IDC_REGION_STATUS);

    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    korvane::AddAboutToSystemMenu(hwnd);

    mainWindow = hwnd;
    MarkRecorderWindow(hwnd);
    InstallMyKeyHook(mainWindow, WM_USER_KEYSTART_MSG);
    CreateRegionWindow();

    settings.captureBitsPerPixel = MeasureScreen();
    settings.compressorFourCC = mmioFOURCC('M', 'S', 'V', 'C');
    korvane::NoteVideo1Compressor();
    // What the user confirmed in an earlier run replaces the start-up values.
    if (korvane::RestoreRememberedOptions()) {
        SetWindowTextA(m_videoStatus, settings.videoStatusLine.c_str());
        SetWindowTextA(m_audioStatus, settings.audioStatusLine.c_str());
        SetWindowTextA(m_hotkeyStatus, settings.hotkeyStatusLine.c_str());
    }
    ShowRegionStatus();

    // Lives to the end of the process, as the recording thread may still use it.
    flashingWnd = new CFlashingWnd;
    flashingWnd->CreateBorderWindow(RECT{0, 0, screenWidth - 1, screenHeight - 1});

    lastSaveFolder = FirstSaveFolder();

    m_link.SubclassDlgItem(IDC_WEBLINK, hwnd);
    m_link.SetTarget(KORVANE_WEB_ADDRESS);
    HandNextRecoveredRecording();
    return TRUE;
}

korvane::ButtonStates CKorvaneDlg::Allowed() const
{
    return korvane::ButtonsFor(isRecording, isPaused, m_finishing);
}

void CKorvaneDlg::ShowButtons()
{
    const korvane::ButtonStates b = Allowed();
    EnableWindow(m_btnRecord, b.record);
    EnableWindow(m_btnPause, b.pause);
    EnableWindow(m_btnStop, b.stop);
    EnableWindow(m_btnOptions, b.options);
    EnableWindow(m_btnExit, b.exit);
}

void CKorvaneDlg::ShowRegionStatus()
{
    const std::string line = RegionStatusLine(
        settings.regionMode, settings.fixedWidth, settings.fixedHeight,
        virtualScreen.right - virtualScreen.left + 1, virtualScreen.bottom - virtualScreen.top + 1);
    SetWindowTextA(m_regionStatus, line.c_str());
}

void CKorvaneDlg::BeginFinishing()
{
    // A thread that never started posts no end message, so nothing would end the state.
    if (m_workerRunning)
        m_finishing = true;
}

void CKorvaneDlg::EndFinishing()
{
    m_finishing = false;
    // Later finishes (a recovered recording, say) must not see this recording's parts.
    recordingReport.parts.clear();
    ShowButtons();
}

void CKorvaneDlg::OnRecord()
{
    if (!Allowed().record)
        return;
    const int wasPaused = isPaused;
    isPaused = 0;
    if (wasPaused) {
        ShowButtons();
        return;
    }
    if (!korvane::CheckRecordingCompressor(Hwnd())) {
        // The hotkey that asked for this recording must be able to ask again.
        settings.recordKeyArmed = 1;
        return;
    }
    switch (settings.regionMode) {
    case RegionMode::FixedSize:
        selectionRect = RECT{0, 0, settings.fixedWidth - 1, settings.fixedHeight - 1};
        if (regionWindow) {
            ShowWindow(regionWindow, SW_SHOWMAXIMIZED);
            UpdateWindow(regionWindow);
            BeginFixedFrame();
        }
        break;
    case RegionMode::Dragged:
        if (regionWindow) {
            ShowWindow(regionWindow, SW_SHOWMAXIMIZED);
            UpdateWindow(regionWindow);
        }
        break;
    case RegionMode::FullScreen: {
        // The monitor the user is at, as it is now: after docking, a projector or a
        // new resolution the screen of an earlier recording may be gone or smaller.
        POINT pointer = {};
        GetCursorPos(&pointer);
        captureRect = MonitorRectAt(pointer);
        PostMessageA(mainWindow, WM_USER_RECORDSTART_MSG, 0, 0);
        break;
    }
    case RegionMode::WholeDesktop:
        captureRect = VirtualScreenRect();
        PostMessageA(mainWindow, WM_USER_RECORDSTART_MSG, 0, 0);
        break;
    default: break;
    }
}

LRESULT CKorvaneDlg::OnRecordStart(WPARAM, LPARAM)
{
    if (settings.minimizeOnStart == 1)
        PostMessageA(Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    MeasureScreen();
    ClampRectToScreen(selectionRect);
    InstallMyHook(mainWindow, WM_USER_SAVECURSOR_MSG);
    isRecording = 1;
    EnableWindow(m_btnRecord, FALSE);
    EnableWindow(m_btnStop, TRUE);
    EnableWindow(m_btnPause, TRUE);
    // The thread reports its end by posting to this window; only the end of the process
    // waits for it. When it could not start, Stop brings the window back to idle.
    m_workerRunning = StartRecordingThread();
    settings.recordKeyArmed = 1;
    return 0;
}

void CKorvaneDlg::OnPause()
{
    if (isRecording && isPaused != 1) {
        isPaused = 1;
        ShowButtons();
    }
}

void CKorvaneDlg::OnStop()
{
    if (isRecording) {
        isPaused = 0;
        BeginFinishing();
        OnRecordInterrupted(0, 0);
    }
}

LRESULT CKorvaneDlg::OnRecordingFailed(WPARAM questionFollows, LPARAM lParam)
{
    m_workerRunning = false;
    m_finishing = false;
    const LRESULT result = OnRecordInterrupted(0, lParam);
    // Nothing was recorded: the empty files reserved for it go.
    for (const korvane::RecordingPart& part : recordingReport.parts) {
        DeleteFileA(part.aviPath.c_str());
        if (!part.mergedPath.empty())
            DeleteFileA(part.mergedPath.c_str());
    }
    if (settings.recordAudio && !recordingReport.parts.empty())
        DeleteFileA(tempWavPath.c_str());
    // The compressor question, when it comes, says what failed.
    if (!questionFollows)
        TellHowTheRecordingEnded(false);
    recordingReport.parts.clear();
    return result;
}

LRESULT CKorvaneDlg::OnRecordInterrupted(WPARAM, LPARAM)
{
    UninstallMyHook(mainWindow);
    if (korvane::StopStepsResetCaption(isPaused)) {
        isPaused = 0;
        SetMainTitle(kPlainMainTitle);
    }
    isRecording = 0;
    ShowButtons();
    InvalidateRect(Hwnd(), nullptr, TRUE);
    BringToFront();
    return 0;
}

void CKorvaneDlg::BringToFront()
{
    HWND hwnd = mainWindow;
    if (!hwnd)
        return;
    SetForegroundWindow(hwnd);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    HWND foreground = GetForegroundWindow();
    DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
    DWORD ownThread = GetCurrentThreadId();
    AttachThreadInput(ownThread, foregroundThread, TRUE);
    SetForegroundWindow(hwnd);
    AttachThreadInput(ownThread, foregroundThread, FALSE);
    ShowWindow(hwnd, SW_RESTORE);
}

LRESULT CKorvaneDlg::OnSaveCursor(WPARAM cursor, LPARAM)
{
    savedCursor = korvane::ResolveReportedCursor(cursor);
    return 0;
}

LRESULT CKorvaneDlg::OnRecordingDone(WPARAM, LPARAM)
{
    // A recording that stopped by itself (a full drive, a failed write) was never stopped
    // here: without this the window stays "recording" and refuses to exit.
    if (isRecording)
        OnRecordInterrupted(0, 0);
    m_workerRunning = false;
    m_finishing = true;
    ShowButtons();
    TellHowTheRecordingEnded(true);
    Finish(korvane::RecordingJustMade());
    return 0;
}

LRESULT CKorvaneDlg::OnRecoveredRecording()
{
    // A recording or a finish under way hands the next one on when it ends.
    if (isRecording || m_finishing || m_workerRunning)
        return 0;
    korvane::RecordingToFinish recovered;
    if (TakeRecoveredRecording(recovered))
        Finish(recovered);
    return 0;
}

void CKorvaneDlg::Finish(const korvane::RecordingToFinish& recording)
{
    m_finishing = true;
    ShowButtons();
    korvane::RecordingFinish finish(Hwnd(), m_pProgressDlg.get());
    finish.Run(recording);
    if (!finish.FirstSaved().empty())
        m_lastSavedFile = finish.FirstSaved();
    EndFinishing();
    // A recording kept unsaved keeps its description, so the next start offers it.
    const bool keep = recording.parts.empty() || finish.KeptForNextStart();
    RecordingFinished(keep ? std::string() : recording.parts.front().aviPath);
}

void CKorvaneDlg::TellHowTheRecordingEnded(bool recorded)
{
    SetWindowTextA(m_audioStatus, settings.audioStatusLine.c_str());
    const std::string notice = korvane::EndOfRecordingNotice(
        recordingReport.cause, static_cast<korvane::AudioTrouble>(audioTrouble.load()), recorded,
        GetScratchFolder(), recordingReport.unreadGrabs);
    if (!notice.empty()) {
        BringToFront();
        MessageBoxA(Hwnd(), notice.c_str(), kCaption, MB_OK | MB_ICONWARNING);
    }
}

LRESULT CKorvaneDlg::OnAudioTrouble(WPARAM trouble, LPARAM)
{
    // The recording goes on; the line says why it has no sound, the end says it again.
    const std::string line = korvane::AudioTroubleLine(static_cast<korvane::AudioTrouble>(trouble));
    if (isRecording && !line.empty())
        SetWindowTextA(m_audioStatus, line.c_str());
    return 0;
}

LRESULT CKorvaneDlg::OnHotKey(WPARAM virtualKey, LPARAM keystrokeInfo)
{
    const korvane::HotkeyAction action =
        korvane::DecideHotKey({virtualKey, keystrokeInfo, settings.recordPauseKey, settings.stopKey,
                               isRecording, isPaused, settings.recordKeyArmed, m_finishing});
    // Sent from the key hook's thread, the press is a question: will it be acted on (then
    // the program in front never sees the key)? The posted report that follows acts.
    if (InSendMessage())
        return action != korvane::HotkeyAction::Ignore;
    switch (action) {
    case korvane::HotkeyAction::StartRecord:
        settings.recordKeyArmed = 0;
        OnRecord();
        break;
    case korvane::HotkeyAction::Resume: OnRecord(); break;
    case korvane::HotkeyAction::Pause: OnPause(); break;
    case korvane::HotkeyAction::Stop:
        BeginFinishing();
        OnRecordInterrupted(virtualKey, 0);
        break;
    case korvane::HotkeyAction::Ignore: break;
    }
    return 0;
}

void CKorvaneDlg::OnOptions()
{
    if (isRecording == 1 || !Allowed().options)
        return;
    {
        COptionsDlg dialog;
        BuildCompressorCatalogue();
        dialog.DoModal(Hwnd());
    }
    // Whatever the dialog returned: only its OK rebuilds the lines.
    SetWindowTextA(m_videoStatus, settings.videoStatusLine.c_str());
    SetWindowTextA(m_audioStatus, settings.audioStatusLine.c_str());
    SetWindowTextA(m_hotkeyStatus, settings.hotkeyStatusLine.c_str());
    ShowRegionStatus();
}

LRESULT CKorvaneDlg::OnMergeProgress(WPARAM percent, LPARAM)
{
    if (!m_pProgressDlg)
        return 0;
    SendMessageA(m_pProgressDlg->m_progress, PBM_SETPOS, percent, 0);
    return 1;
}

void CKorvaneDlg::StopAndWaitForRecordingThread()
{
    if (isRecording) {
        isPaused = 0;
        isRecording = 0;
    }
    WaitForRecordingThread(kRecordingThreadWaitMs);
}

LRESULT CKorvaneDlg::OnQueryEndSession()
{
    // Windows is logging off: the recording ends here, and its thread finishes its files
    // before this answer, as the process may be ended any moment after it. The files stay
    // in the scratch folder.
    StopAndWaitForRecordingThread();
    return TRUE;
}

void CKorvaneDlg::OnEndSession(bool ending)
{
    if (ending)
        StopAndWaitForRecordingThread();
}

bool CKorvaneDlg::RefuseExit()
{
    // While finishing, the recording is not saved yet: the exit is simply not acted on.
    if (!Allowed().exit)
        return true;
    if (isRecording != 1)
        return false;
    MessageBoxA(Hwnd(), kExitWhileRecording, kPlainMainTitle, MB_OK | MB_ICONINFORMATION);
    return true;
}

void CKorvaneDlg::OnExit() { OnCancel(); }

void CKorvaneDlg::OnOK()
{
    if (!RefuseExit())
        EndDialog(IDOK);
}

void CKorvaneDlg::OnCancel()
{
    if (!RefuseExit())
        EndDialog(IDCANCEL);
}

void CKorvaneDlg::OnClose()
{
    if (!RefuseExit())
        EndDialog(IDCANCEL);
}

void CKorvaneDlg::OnLButtonDown(LPARAM point)
{
    PostMessageA(Hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, point);
}

void CKorvaneDlg::OnPaint()
{
    HWND hwnd = Hwnd();
    const korvane::PaintDc paint(hwnd);
    const HDC hdc = paint.Get();
    SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    RECT client;
    GetClientRect(hwnd, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(hdc, x, y, m_hIcon);
}

INT_PTR CKorvaneDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Registered messages have no compile-time numbers, so they come first.
    if (message == WM_USER_RECORDSTART_MSG)
        return SetResult(OnRecordStart(wParam, lParam));
    if (message == WM_USER_RECORDINTERRUPTED_MSG)
        return SetResult(OnRecordingFailed(wParam, lParam));
    if (message == WM_USER_SAVECURSOR_MSG)
        return SetResult(OnSaveCursor(wParam, lParam));
    if (message == WM_USER_GENERIC_MSG)
        return SetResult(OnRecordingDone(wParam, lParam));
    if (message == WM_USER_KEYSTART_MSG)
        return SetResult(OnHotKey(wParam, lParam));
    if (message == AudioTroubleNotice)
        return SetResult(OnAudioTrouble(wParam, lParam));
    if (message == RecoveredRecordingWaiting)
        return SetResult(OnRecoveredRecording());

    switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_PAINT:
        if (!IsIconic(Hwnd()))
            return FALSE;
        OnPaint();
        return TRUE;
    case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_LBUTTONDOWN: OnLButtonDown(lParam); return FALSE;
    case MM_WIM_DATA: return SetResult(OnWaveInData(wParam, lParam));
    case MergeProgress: return SetResult(OnMergeProgress(wParam, lParam));
    case CaptionBlink: BlinkMainCaption(Hwnd(), wParam != 0, isPaused); return SetResult(0);
    case WM_CLOSE: OnClose(); return TRUE;
    case WM_DESTROY: UnmarkRecorderWindow(Hwnd()); return FALSE;
    case WM_QUERYENDSESSION: return SetResult(OnQueryEndSession());
    case WM_ENDSESSION: OnEndSession(wParam != 0); return SetResult(0);
    case WM_POWERBROADCAST:
        // Going to sleep all the same (the lid, the power button): the recording is paused,
        // so picture and sound go on together when the user resumes it.
        if (wParam == PBT_APMSUSPEND)
            OnPause();
        return SetResult(TRUE);
    case WM_DISPLAYCHANGE:
        // A recording looks at the monitors again at its next frame (display_watch.h).
        ++displayChanges;
        MeasureScreen();
        ShowRegionStatus();
        return FALSE;
    case WM_SYSCOMMAND: return korvane::HandleAboutCommand(Hwnd(), wParam) ? TRUE : FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_RECORD: OnRecord(); return TRUE;
        case IDC_PAUSE: OnPause(); return TRUE;
        case IDC_STOP: OnStop(); return TRUE;
        case IDC_OPTIONS: OnOptions(); return TRUE;
        case IDC_EXIT: OnExit(); return TRUE;
        case IDOK: OnOK(); return TRUE;
        case IDCANCEL: OnCancel(); return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}
