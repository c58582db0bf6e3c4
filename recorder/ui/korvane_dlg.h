// CKorvaneDlg: the recorder's main window. It owns the recording state machine (start,
// pause, resume, stop), the global hotkeys, the exit guards, and receives every message
// the recording thread, the hooks and the wave-in device post back. UI thread only.
#pragma once
#include "dialog_base.h"
#include "hotkey_rules.h"
#include "my_hyper_link.h"

#include <memory>
#include <string>
#include <vector>

class CProgressDialog;
namespace korvane {
struct RecordingToFinish;
}

class CKorvaneDlg : public DialogBase {
public:
    CKorvaneDlg();
    ~CKorvaneDlg() override;

    INT_PTR DoModal();

    // The foreground sequence for the application's main window.
    static void BringToFront();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    BOOL OnInitDialog();
    void OnPaint();
    void OnRecord();
    void OnPause();
    void OnStop();
    void OnOptions();
    void OnExit();
    void OnOK();
    void OnCancel();
    void OnClose();
    void OnLButtonDown(LPARAM point);
    LRESULT OnRecordStart(WPARAM, LPARAM);
    LRESULT OnRecordInterrupted(WPARAM, LPARAM);
    LRESULT OnRecordingFailed(WPARAM, LPARAM);
    LRESULT OnSaveCursor(WPARAM cursor, LPARAM);
    LRESULT OnRecordingDone(WPARAM, LPARAM);
    LRESULT OnRecoveredRecording();
    LRESULT OnAudioTrouble(WPARAM trouble, LPARAM);
    LRESULT OnQueryEndSession();
    void OnEndSession(bool ending);

    void TellHowTheRecordingEnded(bool recorded);
    // Saves `recording` through the finish (recording_finish.h), with the buttons held
    // in the finishing state meanwhile.
    void Finish(const korvane::RecordingToFinish& recording);
    // Stops a running recording and waits (bounded) for its thread to finish the files.
    void StopAndWaitForRecordingThread();
    LRESULT OnHotKey(WPARAM virtualKey, LPARAM keystrokeInfo);
    LRESULT OnMergeProgress(WPARAM percent, LPARAM);

    bool RefuseExit();
    korvane::ButtonStates Allowed() const;
    void ShowButtons();
    // The line of what Record takes, from the settings and the monitors as they are now.
    void ShowRegionStatus();
    void BeginFinishing();
    void EndFinishing();

    std::string m_lastSavedFile;
    std::unique_ptr<CProgressDialog> m_pProgressDlg;  // made hidden with the main window
    HICON m_hIcon = nullptr;
    HWND m_btnRecord = nullptr;
    HWND m_btnPause = nullptr;
    HWND m_btnStop = nullptr;
    HWND m_btnOptions = nullptr;
    HWND m_btnExit = nullptr;
    // The recording thread has started and not yet posted its end.
    bool m_workerRunning = false;
    // From Stop until the save step is over; see HotkeyInputs::finishing.
    bool m_finishing = false;
    HWND m_videoStatus = nullptr;
    HWND m_audioStatus = nullptr;
    HWND m_hotkeyStatus = nullptr;
    HWND m_regionStatus = nullptr;
    CMyHyperLink m_link;
};
