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

// WPARAM of WM_USER_GENERIC_MSG when the main window asks for the save again (the
// recording thread posts 0).
constexpr WPARAM kSaveAskedAgain = 1;

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
    LRESULT OnRecordingDone(WPARAM askedAgain, LPARAM);
    LRESULT OnAudioTrouble(WPARAM trouble, LPARAM);
    LRESULT OnQueryEndSession();
    void OnEndSession(bool ending);

    // One file of the recording still to be saved, with the sound that plays with it.
    struct PendingPart {
        std::string avi;
        std::string wav;     // empty: saved without sound
        std::string merged;  // reserved for its merge; may be empty
        int number = 1;      // 1 for "name.avi", 2 for "name (2).avi", ...
    };
    enum class PartSaved { Saved, AskAgain, Kept };
    void TellHowTheRecordingEnded(bool recorded);
    std::vector<PendingPart> PartsOfRecording();
    bool SaveRecording();
    PartSaved SavePart(const PendingPart& part, const std::string& target, std::string& firstSaved);
    void DeletePendingParts();
    void KeepPendingParts(const std::string& why);
    void StartPlayer(const std::string& moviePath);
    // Stops a running recording and waits (bounded) for its thread to finish the files.
    void StopAndWaitForRecordingThread();
    LRESULT OnHotKey(WPARAM virtualKey, LPARAM keystrokeInfo);
    LRESULT OnMergeProgress(WPARAM percent, LPARAM);

    bool RefuseExit();
    korvane::ButtonStates Allowed() const;
    void ShowButtons();
    void BeginFinishing();
    void EndFinishing();

    std::string m_lastSavedFile;
    std::vector<PendingPart> m_pendingParts;
    // The recording's whole sound file when it could not be cut between its parts.
    std::string m_wholeSound;
    // A save has failed in this finish: Cancel then keeps the files instead of deleting.
    bool m_saveTrouble = false;
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
    CMyHyperLink m_link;
};
