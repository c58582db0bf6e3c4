// The options dialog run for real: this thread runs it modally while a second thread
// works its controls with messages, as the user would through them, and reads the
// message boxes it shows. Then the settings it stored are checked.
#include "app/recording_settings.h"
#include "capture/compressor_catalogue.h"
#include "app/recording_state.h"
#include "options/options_dlg.h"
#include "res/resource.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

namespace {

const DWORD kMSVC = mmioFOURCC('M', 'S', 'V', 'C');

struct Box {
    std::string caption;
    std::string text;
};

// The second thread's hands on the open dialog.
class Driver {
public:
    bool Attach()
    {
        // Only once it is visible: before that it may still be filling its lists, and a
        // closing one from an earlier run may still carry the title.
        for (int i = 0; i < 100 && !dlg; ++i, Sleep(50)) {
            HWND found = FindWindowA("#32770", "Recording Options");
            if (found && IsWindowVisible(found))
                dlg = found;
        }
        return dlg != nullptr;
    }
    HWND Item(int id) const { return GetDlgItem(dlg, id); }
    LRESULT Send(int id, UINT message, WPARAM w = 0, LPARAM l = 0) const
    {
        return SendMessageA(Item(id), message, w, l);
    }
    std::string Text(int id) const
    {
        char text[256] = {};
        GetWindowTextA(Item(id), text, sizeof text);
        return text;
    }
    void SetText(int id, const char* text) const { SetWindowTextA(Item(id), text); }
    int Selected(int id) const { return static_cast<int>(Send(id, CB_GETCURSEL)); }
    bool Checked(int id) const { return Send(id, BM_GETCHECK) == BST_CHECKED; }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    void Click(int id) const
    {
        DWORD_PTR result;
        SendMessageTimeoutA(Item(id), BM_CLICK, 0, 0, SMTO_NORMAL, 3000, &result);
    }
    // Chooses a list entry as the user would; false when the dialog did not answer at
    // once (a message box held it up).
    bool Choose(int id, int index) const
    {
        Send(id, CB_SETCURSEL, index);
        DWORD_PTR result;
        return SendMessageTimeoutA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                                   reinterpret_cast<LPARAM>(Item(id)), SMTO_NORMAL, 3000,
                                   &result) != 0;
    }
    // Chooses an entry that the dialog answers with a message box; returns the box.
    Box ChooseExpectingBox(int id, int index) const
    {
        Send(id, CB_SETCURSEL, index);
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(id)));
        return TakeBox();
    }
    void PressOK() const { PostMessageA(dlg, WM_COMMAND, IDOK, 0); }
    void PressCancel() const { PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0); }
    bool Closed() const
    {
        for (int i = 0; i < 100; ++i, Sleep(50)) {
            if (!IsWindow(dlg))
                return true;
        }
        return false;
    }
    // Reads the message box the dialog owns, closes it with OK and waits until the
    // handler that showed it has finished.
    Box TakeBox() const
    {
        Box box;
        HWND found = nullptr;
        for (int i = 0; i < 100 && !found; ++i, Sleep(50)) {
            for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
                 w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
                if (w != dlg && GetWindow(w, GW_OWNER) == dlg && GetDlgItem(w, 0xFFFF)) {
                    found = w;
                    break;
                }
            }
        }
        if (!found)
            return box;
        char text[512] = {};
        GetWindowTextA(found, text, sizeof text);
        box.caption = text;
        GetDlgItemTextA(found, 0xFFFF, text, sizeof text);
        box.text = text;
        PostMessageA(found, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 100 && IsWindow(found); ++i)
            Sleep(20);
        SendMessageA(dlg, WM_NULL, 0, 0);
        return box;
    }

    HWND dlg = nullptr;
};

class OptionsDialog : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
    }
    void SetUp() override
    {
        settings = RecordingSettings{};
        settings.videoStatusLine = kDefaultVideoStatusLine;
        settings.audioStatusLine = kDefaultAudioStatusLine;
        settings.hotkeyStatusLine = kDefaultHotkeyStatusLine;
        screenWidth = GetSystemMetrics(SM_CXSCREEN);
        screenHeight = GetSystemMetrics(SM_CYSCREEN);
        compressorList = nullptr;
        compressorCount = 0;
    }
    void TearDown() override
    {
        if (compressorList == fake) {
            compressorList = nullptr;
            compressorCount = 0;
        }
    }
    void UseFakeCatalogue()
    {
        fake[0] = Entry(kMSVC, L"Fake Video One");
        fake[1] = Entry(mmioFOURCC('A', 'B', 'C', 'D'), L"Alpha Codec");
        compressorList = fake;
        compressorCount = 2;
    }
    static ICINFO Entry(DWORD handler, const wchar_t* description)
    {
        ICINFO info{};
        info.dwSize = sizeof info;
        info.fccType = ICTYPE_VIDEO;
        info.fccHandler = handler;
        lstrcpynW(info.szDescription, description, 128);
        return info;
    }
    // Runs the dialog here while `drive` works it from another thread; the dialog is
    // cancelled if `drive` leaves it open.
    INT_PTR Run(const std::function<void(Driver&)>& drive)
    {
        std::thread hands([&] {
            Driver d;
            if (!d.Attach()) {
                ADD_FAILURE() << "the dialog did not appear";
                return;
            }
            drive(d);
            if (IsWindow(d.dlg))
                d.PressCancel();
        });
        COptionsDlg dialog;
        const INT_PTR result = dialog.DoModal(nullptr);
        hands.join();
        return result;
    }

    ICINFO fake[2] = {};
};

TEST_F(OptionsDialog, OkWithoutChangesKeepsTheSettings)
{
    BuildCompressorCatalogue();
    std::string audioLine;
    EXPECT_EQ(Run([&](Driver& d) {
                  EXPECT_EQ(d.Text(IDC_QUALITY_LABEL), "70");
                  EXPECT_EQ(d.Text(IDC_FRAME_RATE), "25");
                  EXPECT_EQ(d.Send(IDC_RECORD_PAUSE_KEY, CB_GETCOUNT), 69);
                  EXPECT_EQ(d.Text(IDC_RECORD_PAUSE_KEY), "F7");
                  EXPECT_EQ(d.Text(IDC_STOP_KEY), "F8");
                  EXPECT_TRUE(d.Checked(IDC_NORMAL_REGION));
                  EXPECT_EQ(d.Text(IDC_FIXED_WIDTH), "320");
                  EXPECT_FALSE(d.Enabled(IDC_FIXED_WIDTH));
                  EXPECT_FALSE(d.Enabled(IDC_SELECT_FIXED_REGION));
                  EXPECT_TRUE(d.Checked(IDC_RECORD_CURSOR));
                  audioLine = d.Checked(IDC_RECORD_AUDIO)
                                  ? "Audio: " + d.Text(IDC_COMPRESSED_FORMAT) + ", " +
                                        d.Text(IDC_AUDIO_FORMAT)
                                  : "Audio: none";
                  d.PressOK();
                  EXPECT_TRUE(d.Closed());
              }),
              IDOK);
    // The bench's Video 1 codec describes itself so; with nothing listed the line
    // names the compressor in use the same way.
    EXPECT_EQ(settings.videoStatusLine, "Video: Microsoft Video 1, Quality 70%, 25 fps");
    EXPECT_EQ(settings.audioStatusLine, audioLine);
    EXPECT_EQ(settings.hotkeyStatusLine, "Hotkeys: Record/Pause F7, Stop/Cancel F8");
    EXPECT_EQ(settings.framesPerSecond, 25);
    EXPECT_EQ(settings.frameIntervalMs, 40);
    EXPECT_EQ(settings.keyFrameEvery, 25);
    EXPECT_EQ(settings.compressorQuality, 7000);
    EXPECT_EQ(settings.regionMode, RegionMode::Dragged);
    EXPECT_EQ(settings.fixedWidth, 320);
    EXPECT_EQ(settings.fixedHeight, 240);
    EXPECT_EQ(settings.recordPauseKey, VK_F7);
    EXPECT_EQ(settings.stopKey, VK_F8);
    EXPECT_EQ(settings.recordCursor, 1);
    EXPECT_EQ(settings.minimizeOnStart, 0);
    EXPECT_EQ(settings.compressorFourCC, kMSVC);
    int expectedIndex = -1;
    for (int i = 0; i < compressorCount; ++i) {
        if (compressorList[i].fccHandler == kMSVC)
            expectedIndex = i;
    }
    EXPECT_EQ(settings.compressorIndex, expectedIndex);
}

TEST_F(OptionsDialog, CompressorFrameRateAndQuality)
{
    UseFakeCatalogue();
    // A compressor that is not listed is replaced by the first entry, even on Cancel.
    settings.compressorFourCC = mmioFOURCC('Z', 'Z', 'Z', 'Z');
    EXPECT_EQ(Run([](Driver& d) {
                  EXPECT_EQ(d.Selected(IDC_COMPRESSOR), 0);
                  EXPECT_EQ(d.Text(IDC_COMPRESSOR), "Fake Video One");
              }),
              IDCANCEL);
    EXPECT_EQ(settings.compressorFourCC, kMSVC);
    EXPECT_EQ(settings.compressorIndex, -1);

    EXPECT_EQ(Run([](Driver& d) {
                  d.Send(IDC_COMPRESSOR, CB_SETCURSEL, 1);
                  EXPECT_TRUE(d.Choose(IDC_FRAME_RATE, 6));
                  d.Send(IDC_QUALITY, TBM_SETPOS, TRUE, 1);
                  SendMessageA(d.dlg, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                               reinterpret_cast<LPARAM>(d.Item(IDC_QUALITY)));
                  EXPECT_EQ(d.Text(IDC_QUALITY_LABEL), "1");
                  d.PressOK();
                  EXPECT_TRUE(d.Closed());
              }),
              IDOK);
    EXPECT_EQ(settings.compressorFourCC, mmioFOURCC('A', 'B', 'C', 'D'));
    EXPECT_EQ(settings.compressorIndex, 1);
    EXPECT_EQ(settings.framesPerSecond, 30);
    EXPECT_EQ(settings.frameIntervalMs, 33);
    EXPECT_EQ(settings.keyFrameEvery, 30);
    EXPECT_EQ(settings.compressorQuality, 100);
    EXPECT_EQ(settings.videoStatusLine, "Video: Alpha Codec, Quality 1%, 30 fps");

    // 60 fps, the list's last rate: shown when opened, kept by OK, a key frame a second.
    settings.framesPerSecond = 60;
    EXPECT_EQ(Run([](Driver& d) {
                  EXPECT_EQ(d.Text(IDC_FRAME_RATE), "60");
                  EXPECT_EQ(d.Selected(IDC_FRAME_RATE), 7);
                  d.PressOK();
                  EXPECT_TRUE(d.Closed());
              }),
              IDOK);
    EXPECT_EQ(settings.frameIntervalMs, 16);
    EXPECT_EQ(settings.keyFrameEvery, 60);
    EXPECT_EQ(settings.videoStatusLine, "Video: Alpha Codec, Quality 1%, 60 fps");
}

TEST_F(OptionsDialog, EmptyListNamesTheCompressorInUse)
{
    settings.compressorFourCC = mmioFOURCC('Q', 'Q', 'Q', 'Q');
    EXPECT_EQ(Run([](Driver& d) {
                  d.PressOK();
                  EXPECT_TRUE(d.Closed());
              }),
              IDOK);
    EXPECT_EQ(settings.videoStatusLine, "Video: QQQQ, Quality 70%, 25 fps");
    EXPECT_EQ(settings.compressorFourCC, mmioFOURCC('Q', 'Q', 'Q', 'Q'));
    EXPECT_EQ(settings.compressorIndex, -1);
}

TEST_F(OptionsDialog, FixedRegionChecks)
{
    const std::string wide = std::to_string(screenWidth), high = std::to_string(screenHeight);
    // A refused size keeps the dialog open, but what OK stored before the check stays,
    // also when the user then cancels; the status lines and hotkeys are not stored.
    EXPECT_EQ(Run([](Driver& d) {
                  d.Send(IDC_FRAME_RATE, CB_SETCURSEL, 1);
                  EXPECT_TRUE(d.Choose(IDC_RECORD_PAUSE_KEY, 0));
                  d.Click(IDC_FIXED_REGION);
                  EXPECT_TRUE(d.Enabled(IDC_FIXED_WIDTH));
                  d.SetText(IDC_FIXED_WIDTH, "0");
                  d.PressOK();
                  const Box box = d.TakeBox();
                  EXPECT_EQ(box.caption, "Warning");
                  EXPECT_EQ(box.text, "The width must be greater than 0");
                  EXPECT_TRUE(IsWindow(d.dlg));
                  EXPECT_EQ(settings.framesPerSecond, 10);
              }),
              IDCANCEL);
    EXPECT_EQ(settings.framesPerSecond, 10);
    EXPECT_EQ(settings.frameIntervalMs, 100);
    EXPECT_EQ(settings.regionMode, RegionMode::Dragged);
    EXPECT_EQ(settings.fixedWidth, 320);
    EXPECT_EQ(settings.recordPauseKey, VK_F7);
    EXPECT_EQ(settings.videoStatusLine, kDefaultVideoStatusLine);

    EXPECT_EQ(Run([&](Driver& d) {
                  d.Click(IDC_FIXED_REGION);
                  const std::string wider = std::to_string(screenWidth + 1);
                  const struct {
                      std::string width;
                      std::string message;
                  } steps[] = {
                      {"", "The width must be greater than 0"},
                      {"abc", "The width must be greater than 0"},
                      {wider, "The width must be smaller than the screen width (" + wide + ")"},
                  };
                  d.SetText(IDC_FIXED_HEIGHT, "1");
                  for (const auto& s : steps) {
                      d.SetText(IDC_FIXED_WIDTH, s.width.c_str());
                      d.PressOK();
                      const Box box = d.TakeBox();
                      EXPECT_EQ(box.caption, "Warning");
                      EXPECT_EQ(box.text, s.message);
                  }
                  // The screen's own size is accepted.
                  d.SetText(IDC_FIXED_WIDTH, wide.c_str());
                  d.SetText(IDC_FIXED_HEIGHT, high.c_str());
                  d.PressOK();
                  EXPECT_TRUE(d.Closed());
              }),
              IDOK);
    EXPECT_EQ(settings.regionMode, RegionMode::FixedSize);
    EXPECT_EQ(settings.fixedWidth, screenWidth);
    EXPECT_EQ(settings.fixedHeight, screenHeight);

    // With Normal Region checked the fields are not looked at.
    EXPECT_EQ(Run([](Driver& d) {
                  EXPECT_TRUE(d.Checked(IDC_FIXED_REGION));
                  d.Click(IDC_NORMAL_REGION);
                  EXPECT_FALSE(d.Enabled(IDC_FIXED_WIDTH));
                  d.SetText(IDC_FIXED_WIDTH, "nonsense");
                  d.PressOK();
                  EXPECT_TRUE(d.Closed());
              }),
              IDOK);
    EXPECT_EQ(settings.regionMode, RegionMode::Dragged);
    EXPECT_EQ(settings.fixedWidth, screenWidth);
}

TEST_F(OptionsDialog, EveryRegionChoiceOpensCheckedAndIsStored)
{
    const int buttons[] = {IDC_NORMAL_REGION, IDC_FIXED_REGION, IDC_FULL_SCREEN, IDC_WHOLE_DESKTOP};
    const struct {
        RegionMode opened;
        int shown;    // the one radio checked on opening
        int clicked;  // then clicked, and OK
        RegionMode stored;
    } cases[] = {
        {RegionMode::FullScreen, IDC_FULL_SCREEN, IDC_WHOLE_DESKTOP, RegionMode::WholeDesktop},
        {RegionMode::WholeDesktop, IDC_WHOLE_DESKTOP, IDC_FULL_SCREEN, RegionMode::FullScreen},
        {RegionMode::FixedSize, IDC_FIXED_REGION, IDC_FULL_SCREEN, RegionMode::FullScreen},
        {RegionMode::FullScreen, IDC_FULL_SCREEN, IDC_NORMAL_REGION, RegionMode::Dragged},
        // A mode no radio stands for shows as Normal Region.
        {static_cast<RegionMode>(7), IDC_NORMAL_REGION, IDC_FIXED_REGION, RegionMode::FixedSize},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.opened));
        settings.regionMode = c.opened;
        EXPECT_EQ(Run([&](Driver& d) {
                      for (int id : buttons)
                          EXPECT_EQ(d.Checked(id), id == c.shown) << id;
                      EXPECT_EQ(d.Enabled(IDC_FIXED_WIDTH), c.shown == IDC_FIXED_REGION);
                      EXPECT_EQ(d.Enabled(IDC_SELECT_FIXED_REGION), c.shown == IDC_FIXED_REGION);
                      d.Click(c.clicked);
                      for (int id : buttons)
                          EXPECT_EQ(d.Checked(id), id == c.clicked) << id;
                      EXPECT_EQ(d.Enabled(IDC_FIXED_HEIGHT), c.clicked == IDC_FIXED_REGION);
                      d.PressOK();
                      EXPECT_TRUE(d.Closed());
                  }),
                  IDOK);
        EXPECT_EQ(settings.regionMode, c.stored);
    }
}

TEST_F(OptionsDialog, HotkeyConflictsSwapAndCancel)
{
    EXPECT_EQ(Run([](Driver& d) {
                  Box box = d.ChooseExpectingBox(IDC_RECORD_PAUSE_KEY, 7);
                  EXPECT_EQ(box.caption, "korvane");
                  EXPECT_EQ(box.text, "This key is used by the Stop Key");
                  EXPECT_EQ(d.Text(IDC_RECORD_PAUSE_KEY), "F7");
                  box = d.ChooseExpectingBox(IDC_STOP_KEY, 6);
                  EXPECT_EQ(box.caption, "korvane");
                  EXPECT_EQ(box.text, "This key is used by the Pause Key");
                  EXPECT_EQ(d.Text(IDC_STOP_KEY), "F8");
                  // The swap goes through a free key, without a message.
                  EXPECT_TRUE(d.Choose(IDC_STOP_KEY, 8));
                  EXPECT_TRUE(d.Choose(IDC_RECORD_PAUSE_KEY, 7));
                  EXPECT_TRUE(d.Choose(IDC_STOP_KEY, 6));
                  d.PressOK();
                  EXPECT_TRUE(d.Closed());
              }),
              IDOK);
    EXPECT_EQ(settings.recordPauseKey, VK_F8);
    EXPECT_EQ(settings.stopKey, VK_F7);
    EXPECT_EQ(settings.hotkeyStatusLine, "Hotkeys: Record/Pause F8, Stop/Cancel F7");

    EXPECT_EQ(Run([](Driver& d) {
                  EXPECT_EQ(d.Text(IDC_RECORD_PAUSE_KEY), "F8");
                  EXPECT_TRUE(d.Choose(IDC_RECORD_PAUSE_KEY, 68));
                  d.PressOK();
                  EXPECT_TRUE(d.Closed());
              }),
              IDOK);
    EXPECT_EQ(settings.recordPauseKey, VK_TAB);
    EXPECT_EQ(settings.hotkeyStatusLine, "Hotkeys: Record/Pause TAB , Stop/Cancel F7");

    EXPECT_EQ(Run([](Driver& d) { EXPECT_TRUE(d.Choose(IDC_RECORD_PAUSE_KEY, 58)); }), IDCANCEL);
    EXPECT_EQ(settings.recordPauseKey, VK_TAB);
    EXPECT_EQ(settings.stopKey, VK_F7);
    EXPECT_EQ(settings.hotkeyStatusLine, "Hotkeys: Record/Pause TAB , Stop/Cancel F7");
}

}  // namespace
