// COptionsDlg: the "Recording Options" dialog (UI thread only).
#include "options_dlg.h"

#include "app/recording_settings.h"
#include "audio/audio_controls.h"
#include "ansi_text.h"
#include "avifile_owners.h"
#include "capture/compressor_catalogue.h"
#include "capture/compressor_state.h"
#include "frame_rates.h"
#include "app/recording_state.h"
#include "hotkey_keys.h"
#include "options_rules.h"
#include "options_store.h"
#include "app/registered_messages.h"
#include "region/region_window.h"
#include "res/resource.h"

#include <commctrl.h>
#include <vfw.h>

#include <cstdio>
#include <cstring>

int dlgRecordPauseKey = VK_F7;
int dlgStopKey = VK_F8;

namespace {

const char kProgramName[] = "korvane";

std::string Narrow(const WCHAR* text) { return korvane::AnsiFromWide(text); }

void SetNumber(HWND hwnd, int id, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    SetDlgItemTextA(hwnd, id, text);
}

// The radio buttons of the "Region" group and the modes they stand for; only the fixed
// one has a size to check.
struct RegionButton {
    int id;
    RegionMode mode;
};
const RegionButton kRegionButtons[] = {
    {IDC_NORMAL_REGION, RegionMode::Dragged},
    {IDC_FIXED_REGION, RegionMode::FixedSize},
    {IDC_FULL_SCREEN, RegionMode::FullScreen},
    {IDC_WHOLE_DESKTOP, RegionMode::WholeDesktop},
};

// A mode no button stands for (a store of a later version) shows as Normal Region.
int RegionButtonFor(RegionMode mode)
{
    for (const RegionButton& b : kRegionButtons) {
        if (b.mode == mode)
            return b.id;
    }
    return IDC_NORMAL_REGION;
}

void ShowKeyMessage(HWND owner, UINT stringId)
{
    char text[128] = {};
    LoadStringA(GetModuleHandleA(nullptr), stringId, text, sizeof text);
    MessageBoxA(owner, text, kProgramName, MB_OK);
}

}  // namespace

INT_PTR COptionsDlg::DoModal(HWND parent)
{
    return DialogBase::DoModal(GetModuleHandleA(nullptr), IDD_OPTIONS, parent);
}

std::string COptionsDlg::Text(int id) const
{
    char text[256] = {};
    GetDlgItemTextA(Hwnd(), id, text, sizeof text);
    return text;
}

std::string COptionsDlg::ComboText(HWND combo) const
{
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return {};
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::strlen(text.c_str()));
    return text;
}

// Dialog templates cannot carry list items, so the fixed lists are filled here, before
// anything is selected in them.
void COptionsDlg::FillLists()
{
    for (int rate : korvane::kFrameRateChoices) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", rate);
        SendMessageA(m_frameRate, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    for (int i = 0; i < kHotkeyCount; ++i) {
        SendMessageA(m_recordPauseKeys, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(RecordPauseKeyText(i)));
        SendMessageA(m_stopKeys, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(StopKeyText(i)));
    }
}

BOOL COptionsDlg::OnInitDialog()
{
    HWND hwnd = Hwnd();
    m_frameRate = GetDlgItem(hwnd, IDC_FRAME_RATE);
    m_recordAudio = GetDlgItem(hwnd, IDC_RECORD_AUDIO);
    m_compressor = GetDlgItem(hwnd, IDC_COMPRESSOR);
    m_qualityLabel = GetDlgItem(hwnd, IDC_QUALITY_LABEL);
    m_compressedFormat = GetDlgItem(hwnd, IDC_COMPRESSED_FORMAT);
    m_audioFormat = GetDlgItem(hwnd, IDC_AUDIO_FORMAT);
    m_recordPauseKeys = GetDlgItem(hwnd, IDC_RECORD_PAUSE_KEY);
    m_stopKeys = GetDlgItem(hwnd, IDC_STOP_KEY);
    FillLists();

    const int percent = settings.compressorQuality / 100;
    SetNumber(hwnd, IDC_QUALITY_LABEL, percent);
    HWND quality = GetDlgItem(hwnd, IDC_QUALITY);
    SendMessageA(quality, TBM_SETRANGE, TRUE, MAKELPARAM(1, 100));
    SendMessageA(quality, TBM_SETPOS, TRUE, percent);

    char rate[16];
    std::snprintf(rate, sizeof rate, "%d", settings.framesPerSecond);
    // Only an equal item: a prefix ("6" of "60") must not select anything.
    const LRESULT item = SendMessageA(m_frameRate, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(rate));
    if (item != CB_ERR)
        SendMessageA(m_frameRate, CB_SETCURSEL, static_cast<WPARAM>(item), 0);

    int selected = -1;
    for (int i = 0; i < compressorCount; ++i) {
        const std::string description = Narrow(compressorList[i].szDescription);
        SendMessageA(m_compressor, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(description.c_str()));
        if (compressorList[i].fccHandler == settings.compressorFourCC)
            selected = i;
    }
    if (compressorCount > 0) {
        if (selected < 0) {
            // Stands even if the dialog is cancelled.
            selected = 0;
            settings.compressorFourCC = compressorList[0].fccHandler;
        }
        SendMessageA(m_compressor, CB_SETCURSEL, selected, 0);
    }

    InitAudioControls(hwnd);

    SetNumber(hwnd, IDC_FIXED_WIDTH, settings.fixedWidth);
    SetNumber(hwnd, IDC_FIXED_HEIGHT, settings.fixedHeight);
    const int regionButton = RegionButtonFor(settings.regionMode);
    for (const RegionButton& b : kRegionButtons)
        CheckDlgButton(hwnd, b.id, b.id == regionButton ? BST_CHECKED : BST_UNCHECKED);
    if (regionButton != IDC_FIXED_REGION)
        EnableFixedSize(FALSE);

    CheckDlgButton(hwnd, IDC_RECORD_CURSOR, settings.recordCursor ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, IDC_MINIMIZE_ON_START,
                   settings.minimizeOnStart ? BST_CHECKED : BST_UNCHECKED);

    dlgRecordPauseKey = settings.recordPauseKey;
    dlgStopKey = settings.stopKey;
    SendMessageA(m_recordPauseKeys, CB_SETCURSEL, KeyToComboIndex(settings.recordPauseKey), 0);
    SendMessageA(m_stopKeys, CB_SETCURSEL, KeyToComboIndex(settings.stopKey), 0);
    return TRUE;
}

void COptionsDlg::OnQualityScroll()
{
    const LRESULT position = SendDlgItemMessageA(Hwnd(), IDC_QUALITY, TBM_GETPOS, 0, 0);
    SetNumber(Hwnd(), IDC_QUALITY_LABEL, static_cast<int>(position));
}

void COptionsDlg::OnConfigureCompressor()
{
    const LRESULT index = SendMessageA(m_compressor, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR || index < 0 || index >= compressorCount)
        return;
    const ICINFO& entry = compressorList[index];
    korvane::Compressor compressor(entry.fccType, entry.fccHandler, ICMODE_QUERY);
    if (!compressor)
        return;
    if (savedStateBytes && savedStateFourCC == entry.fccHandler)
        ICSendMessage(compressor.Get(), ICM_SETSTATE, reinterpret_cast<DWORD_PTR>(savedStateBytes),
                      static_cast<DWORD_PTR>(savedStateSize));
    ICSendMessage(compressor.Get(), ICM_CONFIGURE, reinterpret_cast<DWORD_PTR>(Hwnd()), 0);
    SaveCompressorState(compressor.Get(), entry.fccHandler);
}

void COptionsDlg::EnableFixedSize(BOOL enable)
{
    for (int id : {IDC_SELECT_FIXED_REGION, IDC_FIXED_WIDTH, IDC_FIXED_HEIGHT})
        EnableWindow(GetDlgItem(Hwnd(), id), enable);
}

// Also for Full Screen and Whole Desktop: only a fixed frame has a size.
void COptionsDlg::OnNormalRegion() { EnableFixedSize(FALSE); }

void COptionsDlg::OnFixedRegion() { EnableFixedSize(TRUE); }

void COptionsDlg::OnSelectFixedRegion()
{
    if (!regionWindow)
        return;
    // The region window's drag mode; OK stores the radio buttons' choice again.
    settings.regionMode = RegionMode::Dragged;
    fixedRegionRequest = 1;
    optionsDialogWindow = Hwnd();
    ShowWindow(regionWindow, SW_SHOWMAXIMIZED);
    UpdateWindow(regionWindow);
}

LRESULT COptionsDlg::OnFixedRegionSelected()
{
    SetNumber(Hwnd(), IDC_FIXED_WIDTH, captureRect.right - captureRect.left + 1);
    SetNumber(Hwnd(), IDC_FIXED_HEIGHT, captureRect.bottom - captureRect.top + 1);
    return 1;
}

void COptionsDlg::OnRecordPauseKeyChange()
{
    const int key =
        ComboIndexToKey(static_cast<int>(SendMessageA(m_recordPauseKeys, CB_GETCURSEL, 0, 0)));
    if (key == dlgStopKey) {
        ShowKeyMessage(Hwnd(), IDS_KEY_USED_BY_STOP);
        SendMessageA(m_recordPauseKeys, CB_SETCURSEL, KeyToComboIndex(dlgRecordPauseKey), 0);
        return;
    }
    dlgRecordPauseKey = key;
}

void COptionsDlg::OnStopKeyChange()
{
    const int key = ComboIndexToKey(static_cast<int>(SendMessageA(m_stopKeys, CB_GETCURSEL, 0, 0)));
    if (key == dlgRecordPauseKey) {
        ShowKeyMessage(Hwnd(), IDS_KEY_USED_BY_PAUSE);
        SendMessageA(m_stopKeys, CB_SETCURSEL, KeyToComboIndex(dlgStopKey), 0);
        return;
    }
    dlgStopKey = key;
}

std::string COptionsDlg::CompressorText() const
{
    if (SendMessageA(m_compressor, CB_GETCURSEL, 0, 0) != CB_ERR)
        return ComboText(m_compressor);
    // Nothing listed: name the compressor a recording will use.
    return CompressorInUseName(settings.compressorFourCC,
                               korvane::CompressorDescription(settings.compressorFourCC));
}

void COptionsDlg::OnOK()
{
    HWND hwnd = Hwnd();
    const std::string rate = ComboText(m_frameRate);
    const std::string quality = Text(IDC_QUALITY_LABEL);
    const VideoChoice video = ReadVideoChoice(rate.c_str(), quality.c_str());
    if (video.valid) {
        settings.framesPerSecond = video.framesPerSecond;
        settings.frameIntervalMs = video.frameIntervalMs;
        settings.keyFrameEvery = video.keyFrameEvery;
        settings.compressorQuality = video.compressorQuality;
    }

    const LRESULT compressor = SendMessageA(m_compressor, CB_GETCURSEL, 0, 0);
    if (compressor != CB_ERR && compressor >= 0 && compressor < compressorCount) {
        settings.compressorFourCC = compressorList[compressor].fccHandler;
        settings.compressorIndex = static_cast<int>(compressor);
    }

    StoreAudioControls(hwnd);

    // Everything above stays stored when the region is refused.
    const RegionButton* chosen = nullptr;
    for (const RegionButton& b : kRegionButtons) {
        if (b.mode != RegionMode::FixedSize && IsDlgButtonChecked(hwnd, b.id) == BST_CHECKED)
            chosen = &b;
    }
    if (chosen) {
        settings.regionMode = chosen->mode;
    } else {
        const RegionCheck region =
            CheckFixedRegion(Text(IDC_FIXED_WIDTH).c_str(), Text(IDC_FIXED_HEIGHT).c_str(),
                             screenWidth, screenHeight);
        if (!region.accepted) {
            MessageBoxA(hwnd, region.message.c_str(), "Warning", MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        settings.fixedHeight = region.height;
        settings.fixedWidth = region.width;
        settings.regionMode = RegionMode::FixedSize;
    }

    settings.recordCursor = IsDlgButtonChecked(hwnd, IDC_RECORD_CURSOR) == BST_CHECKED ? 1 : 0;
    settings.minimizeOnStart =
        IsDlgButtonChecked(hwnd, IDC_MINIMIZE_ON_START) == BST_CHECKED ? 1 : 0;
    settings.recordPauseKey = dlgRecordPauseKey;
    settings.stopKey = dlgStopKey;

    settings.videoStatusLine = VideoStatusLine(CompressorText(), quality, rate);
    settings.audioStatusLine =
        AudioStatusLine(SendMessageA(m_recordAudio, BM_GETCHECK, 0, 0) == BST_CHECKED,
                        Text(IDC_COMPRESSED_FORMAT), ComboText(m_audioFormat));
    settings.hotkeyStatusLine =
        HotkeyStatusLine(ComboText(m_recordPauseKeys), ComboText(m_stopKeys));
    korvane::RememberOptions();
    EndDialog(IDOK);
}

INT_PTR COptionsDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_HSCROLL: OnQualityScroll(); return FALSE;
    case FixedRegionSelected: return SetResult(OnFixedRegionSelected());
    case WM_DESTROY:
        // A selection still pending must not report to a window that is gone; the next
        // selection from the main window then starts a recording as usual.
        if (fixedRegionRequest && optionsDialogWindow == Hwnd())
            fixedRegionRequest = 0;
        if (optionsDialogWindow == Hwnd())
            optionsDialogWindow = nullptr;
        return FALSE;
    case WM_COMMAND: {
        const int code = HIWORD(wParam);
        HWND hwnd = Hwnd();
        switch (LOWORD(wParam)) {
        case IDOK: OnOK(); return TRUE;
        case IDCANCEL: EndDialog(IDCANCEL); return TRUE;
        case IDC_FRAME_RATE: return TRUE;
        case IDC_CONFIGURE:
            if (code == BN_CLICKED)
                OnConfigureCompressor();
            return TRUE;
        case IDC_SELECT_FIXED_REGION:
            if (code == BN_CLICKED)
                OnSelectFixedRegion();
            return TRUE;
        case IDC_NORMAL_REGION:
        case IDC_FULL_SCREEN:
        case IDC_WHOLE_DESKTOP:
            if (code == BN_CLICKED)
                OnNormalRegion();
            return TRUE;
        case IDC_FIXED_REGION:
            if (code == BN_CLICKED)
                OnFixedRegion();
            return TRUE;
        case IDC_RECORD_PAUSE_KEY:
            if (code == CBN_SELCHANGE)
                OnRecordPauseKeyChange();
            return TRUE;
        case IDC_STOP_KEY:
            if (code == CBN_SELCHANGE)
                OnStopKeyChange();
            return TRUE;
        case IDC_AUDIO_FORMAT:
            if (code == CBN_SELCHANGE)
                OnAudioFormatSelChange(hwnd);
            return TRUE;
        case IDC_RECORD_AUDIO:
            if (code == BN_CLICKED)
                OnRecordAudio(hwnd);
            return TRUE;
        case IDC_COMPRESSION_FORMAT:
            if (code == BN_CLICKED)
                OnCompressionFormat(hwnd);
            return TRUE;
        case IDC_VOLUME:
            if (code == BN_CLICKED)
                OnVolume(hwnd);
            return TRUE;
        default: return FALSE;
        }
    }
    default: return FALSE;
    }
}
