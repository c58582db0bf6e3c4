// COptionsDlg: the modal "Recording Options" dialog, the only editor of the recording
// settings. It reads them when it opens and stores them on OK; Cancel stores nothing of
// its own. The audio group's handlers live with the audio code. UI thread only.
#pragma once
#include "dialog_base.h"

#include <string>

// Working copies of the two hotkeys while the dialog is open; the change handlers keep
// them different, so the stored hotkeys never share a key.
extern int dlgRecordPauseKey;
extern int dlgStopKey;

class COptionsDlg : public DialogBase {
public:
    COptionsDlg() = default;

    // Runs the dialog owned by `parent`; IDOK or IDCANCEL.
    INT_PTR DoModal(HWND parent);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    BOOL OnInitDialog();
    void FillLists();
    void OnQualityScroll();
    void OnConfigureCompressor();
    void OnNormalRegion();
    void OnFixedRegion();
    void OnSelectFixedRegion();
    LRESULT OnFixedRegionSelected();
    void OnRecordPauseKeyChange();
    void OnStopKeyChange();
    void OnOK();

    void EnableFixedSize(BOOL enable);
    std::string Text(int id) const;
    std::string ComboText(HWND combo) const;
    std::string CompressorText() const;

    // The controls the handlers read (bound in OnInitDialog).
    HWND m_frameRate = nullptr;
    HWND m_recordAudio = nullptr;
    HWND m_compressor = nullptr;
    HWND m_qualityLabel = nullptr;
    HWND m_compressedFormat = nullptr;
    HWND m_audioFormat = nullptr;
    HWND m_recordPauseKeys = nullptr;
    HWND m_stopKeys = nullptr;
};
