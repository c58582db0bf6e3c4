// The Video 1 driver's configure and about dialogs, driven as a user would: the dialog
// runs modally inside ICConfigure/ICAbout on this thread while a helper thread finds it,
// types into it and presses its buttons. Shows windows on the shared desktop.
#include "../../codec/driver/resource.h"

#include <windows.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>

namespace {

constexpr DWORD kMsvc = mmioFOURCC('M', 'S', 'V', 'C');
const char kSettingsCaption[] = "Microsoft Video 1 Settings";
const char kAboutCaption[] = "About Microsoft Video 1";

struct IcCloser {
    void operator()(HIC hic) const { ICClose(hic); }
};
using HicOwner = std::unique_ptr<std::remove_pointer_t<HIC>, IcCloser>;

HWND WaitForDialog(const char* caption)
{
    for (int i = 0; i < 100; ++i) {
        HWND hwnd = FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), caption);
        if (hwnd && IsWindowVisible(hwnd))
            return hwnd;
        Sleep(50);
    }
    return nullptr;
}

std::string ItemText(HWND dialog, int id)
{
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Runs `user` on a helper thread against the dialog titled `caption` while `modal`
// (which shows that dialog) runs here. If the dialog never appears, `user` gets null.
LRESULT WithDialog(const char* caption, const std::function<void(HWND)>& user,
                   const std::function<LRESULT()>& modal)
{
    std::thread helper([&] { user(WaitForDialog(caption)); });
    LRESULT result = modal();
    helper.join();
    return result;
}

class CodecDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        hic.reset(ICOpen(ICTYPE_VIDEO, kMsvc, ICMODE_COMPRESS));
        ASSERT_TRUE(hic);
    }
    LRESULT Configure() { return ICConfigure(hic.get(), nullptr); }
    HicOwner hic;
};

TEST_F(CodecDialogs, ConfigureShowsAndStoresTheDefaultQuality)
{
    std::string shown;
    LRESULT result = WithDialog(
        kSettingsCaption,
        [&](HWND dialog) {
            ASSERT_TRUE(dialog) << "the settings dialog did not appear";
            shown = ItemText(dialog, IDC_QUALITY);
            SetDlgItemTextA(dialog, IDC_QUALITY, "55");
            Press(dialog, IDOK);
        },
        [&] { return Configure(); });
    EXPECT_EQ(result, ICERR_OK);
    EXPECT_EQ(shown, "70");
    EXPECT_EQ(ICGetDefaultQuality(hic.get()), 5500u);
    DWORD state[2] = {};
    ASSERT_EQ(ICGetState(hic.get(), state, sizeof state), DWORD(ICERR_OK));
    EXPECT_EQ(state[1], 5500u) << "the saved settings miss the new quality";

    // The dialog opens on the current value next time.
    WithDialog(
        kSettingsCaption,
        [&](HWND dialog) {
            ASSERT_TRUE(dialog);
            shown = ItemText(dialog, IDC_QUALITY);
            Press(dialog, IDCANCEL);
        },
        [&] { return Configure(); });
    EXPECT_EQ(shown, "55");
}

TEST_F(CodecDialogs, CancelAndOutOfRangeValuesChangeNothing)
{
    LRESULT result = WithDialog(
        kSettingsCaption,
        [&](HWND dialog) {
            ASSERT_TRUE(dialog);
            SetDlgItemTextA(dialog, IDC_QUALITY, "10");
            Press(dialog, IDCANCEL);
        },
        [&] { return Configure(); });
    EXPECT_EQ(result, ICERR_OK);
    EXPECT_EQ(ICGetDefaultQuality(hic.get()), 7000u);

    bool stayedOpen = false;
    WithDialog(
        kSettingsCaption,
        [&](HWND dialog) {
            ASSERT_TRUE(dialog);
            SetDlgItemTextA(dialog, IDC_QUALITY, "150");
            Press(dialog, IDOK);
            Sleep(300);
            stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
            Press(dialog, IDCANCEL);
        },
        [&] { return Configure(); });
    EXPECT_TRUE(stayedOpen) << "a quality of 150% was accepted";
    EXPECT_EQ(ICGetDefaultQuality(hic.get()), 7000u);
}

TEST_F(CodecDialogs, AboutBoxOpensAndCloses)
{
    bool appeared = false;
    LRESULT result = WithDialog(
        kAboutCaption,
        [&](HWND dialog) {
            appeared = dialog != nullptr;
            if (dialog)
                Press(dialog, IDOK);
        },
        [&] { return ICAbout(hic.get(), nullptr); });
    EXPECT_TRUE(appeared);
    EXPECT_EQ(result, ICERR_OK);
}

}  // namespace
