// The player frame's outer size around the movie window, and the player's resources
// read from reelpane.exe itself: the texts the user sees and the menu the frame's class
// loads.
#include "frame_size.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

TEST(PlayerFrameSize, MinimisedFrameIsLeftAlone)
{
    SIZE size{-7, -7};
    const RECT movie{100, 100, 420, 340};
    EXPECT_FALSE(reelpane::FrameSizeFor(true, true, movie, WS_OVERLAPPEDWINDOW, {180, 47}, &size));
    EXPECT_FALSE(reelpane::FrameSizeFor(true, false, movie, WS_OVERLAPPEDWINDOW, {180, 47}, &size));
    EXPECT_EQ(size.cx, -7);
}

TEST(PlayerFrameSize, WithoutAMovieTheFrameGoesBackToItsEmptySize)
{
    SIZE size{};
    const RECT movie{100, 100, 420, 340};
    ASSERT_TRUE(reelpane::FrameSizeFor(false, false, movie, WS_OVERLAPPEDWINDOW, {180, 47}, &size));
    EXPECT_EQ(size.cx, 180);
    EXPECT_EQ(size.cy, 47);
}

// A real frame with a menu bar, given the computed outer size, must have exactly the
// movie window's size as its client area.
TEST(PlayerFrameSize, AFrameOfTheComputedSizeHoldsTheMovieExactly)
{
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    const RECT movie{37, 52, 37 + 322, 52 + 274};
    SIZE size{};
    ASSERT_TRUE(reelpane::FrameSizeFor(false, true, movie, style, {180, 47}, &size));

    HWND hwnd = CreateWindowExA(0, "STATIC", "frame", style, 0, 0, size.cx, size.cy, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 1, "&Archivo");
    SetMenu(hwnd, menu);
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 322);
    EXPECT_EQ(client.bottom, 274);
    DestroyWindow(hwnd);  // destroys the menu with it
}

class PlayerResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string exe(path);
        exe = exe.substr(0, exe.rfind('\\') + 1) + "reelpane.exe";
        m_module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr) << exe;
    }
    void TearDown() override
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    std::string Text(UINT id)
    {
        char text[256] = {};
        LoadStringA(m_module, id, text, sizeof text);
        return text;
    }
    HMODULE m_module = nullptr;
};

TEST_F(PlayerResources, StringTableHoldsTheFourTexts)
{
    EXPECT_EQ(Text(1001), "El video para la versi\xF3n de Windows es demasiado viejo");
    EXPECT_EQ(Text(1002), "Registrar Clases fallo");
    EXPECT_EQ(Text(1003), "Fallo al crear ventana");
    EXPECT_EQ(Text(1004), "Imposible abrir video");
}

TEST_F(PlayerResources, ClassMenuNameFindsTheOnePopupMenu)
{
    HMENU bar = LoadMenuA(m_module, "Player");
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    char text[64] = {};
    GetMenuStringA(bar, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Archivo");
    HMENU popup = GetSubMenu(bar, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), 4);
    const struct {
        UINT id;
        const char* text;
    } items[] = {{40001, "Reproducir"}, {40002, "Detener"}, {0, ""}, {3, "&Salir"}};
    for (int i = 0; i < 4; ++i) {
        GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_EQ(GetMenuItemID(popup, i), items[i].id) << i;
        EXPECT_STREQ(text, items[i].text) << i;
    }
    EXPECT_TRUE(GetMenuState(popup, 2, MF_BYPOSITION) & MF_SEPARATOR);
    DestroyMenu(bar);
    EXPECT_NE(FindResourceA(m_module, "AppIcon", MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */),
              nullptr);
}

}  // namespace
