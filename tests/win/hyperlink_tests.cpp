// The web link of the main window, on the real template and with real mouse input:
// colours, mouse capture on the way in and out, one open per click, one line of text.
#include "dialog_base.h"
#include "message_pump.h"
#include "res/resource.h"
#include "ui/my_hyper_link.h"
#include "gdi_owners.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

// The main window's template, hosted by a plain dialog that only runs the link.
class LinkHost : public DialogBase {
public:
    CMyHyperLink link;

protected:
    INT_PTR HandleMessage(UINT message, WPARAM, LPARAM) override
    {
        if (message == WM_INITDIALOG) {
            link.SubclassDlgItem(IDC_WEBLINK, Hwnd());
            link.SetTarget(KORVANE_WEB_ADDRESS);
            return TRUE;
        }
        return FALSE;
    }
};

using testpump::PumpFor;
template <typename Done>
bool PumpUntil(Done done, DWORD ms = 2000)
{
    return testpump::PumpUntil(done, ms);
}

// Moves the pointer to `screen` (and a pixel beside it, again and again) until `done`
// holds: Wine now and then drops a single move on its way to a captured window.
template <typename Done>
bool MoveMouseUntil(POINT screen, Done done)
{
    for (int i = 0; i < 20 && !done(); ++i) {
        const POINT p = {screen.x + (i % 2), screen.y};
        SetCursorPos(p.x, p.y);
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &in, sizeof(in));
        PumpUntil(done, 100);
    }
    return done();
}

// Spaced beyond the double-click time, so each is a click of its own.
void Click()
{
    PumpFor(GetDoubleClickTime() + 100);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    PumpFor(200);
}

// The colour the dialog's reflection gives the link's text, as drawing would see it.
COLORREF DrawnColour(HWND dialog, HWND link, HBRUSH* brush = nullptr)
{
    const korvane::MemoryDc hdc(nullptr);
    SetTextColor(hdc.Get(), RGB(1, 2, 3));
    const LRESULT b = SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc.Get()),
                                   reinterpret_cast<LPARAM>(link));
    if (brush)
        *brush = reinterpret_cast<HBRUSH>(b);
    EXPECT_EQ(GetBkMode(hdc.Get()), TRANSPARENT);
    return GetTextColor(hdc.Get());
}

TEST(WebLink, LightsUpUnderTheMouseAndOpensOncePerClick)
{
    std::vector<std::string> opened;
    const auto savedOpen = CMyHyperLink::openAddress;
    CMyHyperLink::openAddress = [&](const std::string& address) { opened.push_back(address); };

    LinkHost host;
    HWND dialog = host.Create(GetModuleHandleA(nullptr), IDD_KORVANE_DIALOG, nullptr);
    ASSERT_NE(dialog, nullptr);
    SetWindowPos(dialog, HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(dialog);
    PumpFor(300);
    HWND link = host.link.Hwnd();
    ASSERT_NE(link, nullptr);

    // Prepared: clickable, underlined, and the address stays on one line.
    EXPECT_TRUE(GetWindowLongA(link, GWL_STYLE) & SS_NOTIFY);
    LOGFONTA lf = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    EXPECT_TRUE(lf.lfUnderline);
    {
        const korvane::WindowDc hdc(link);
        SIZE text;
        {
            const korvane::SelectGuard font(
                hdc.Get(), reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)));
            GetTextExtentPoint32A(hdc.Get(), KORVANE_WEB_ADDRESS, lstrlenA(KORVANE_WEB_ADDRESS),
                                  &text);
        }
        RECT client;
        GetClientRect(link, &client);
        EXPECT_LE(text.cx, client.right);
    }

    HBRUSH brush = nullptr;
    EXPECT_EQ(DrawnColour(dialog, link, &brush), RGB(0, 0, 255));
    EXPECT_EQ(brush, GetStockObject(NULL_BRUSH));

    RECT onScreen;
    GetWindowRect(link, &onScreen);
    const POINT inside = {onScreen.left + 5, (onScreen.top + onScreen.bottom) / 2};
    const POINT outside = {onScreen.left + 5, onScreen.bottom + 40};
    MoveMouseUntil(outside, [] { return false; });
    EXPECT_TRUE(MoveMouseUntil(inside, [&] { return host.link.IsHovering(); }));
    EXPECT_EQ(GetCapture(), link);
    EXPECT_EQ(DrawnColour(dialog, link), RGB(255, 0, 0));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));

    Click();
    ASSERT_TRUE(PumpUntil([&] { return opened.size() == 1; }));
    EXPECT_EQ(opened[0], KORVANE_WEB_ADDRESS);
    Click();
    EXPECT_TRUE(PumpUntil([&] { return opened.size() == 2; }));

    EXPECT_TRUE(MoveMouseUntil(outside, [&] { return !host.link.IsHovering(); }));
    EXPECT_NE(GetCapture(), link);
    EXPECT_EQ(DrawnColour(dialog, link), RGB(0, 0, 255));
    EXPECT_EQ(opened.size(), 2u);

    DestroyWindow(dialog);
    CMyHyperLink::openAddress = savedOpen;
}

}  // namespace
