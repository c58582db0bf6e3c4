#include <windows.h>
#include <gtest/gtest.h>
TEST(Smoke, ScreenIsThere) { HDC hdc = GetDC(nullptr); EXPECT_EQ(GetDeviceCaps(hdc, HORZRES), 1024); ReleaseDC(nullptr, hdc); }
