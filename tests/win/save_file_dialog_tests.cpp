// The save dialog's filter as the common dialog wants it.
#include "ui/save_file_dialog.h"

#include <gtest/gtest.h>

#include <string>

using namespace korvane;

TEST(SaveFileDialog, FilterBecomesNulSeparated)
{
    const std::string f = FilterToNulSeparated("AVI Movie Files (*.avi)|*.avi||");
    const std::string expected("AVI Movie Files (*.avi)\0*.avi\0\0\0\0", 33);
    EXPECT_EQ(f, expected);
    // The first entry is what the dialog reads up to the double NUL.
    EXPECT_STREQ(f.c_str(), "AVI Movie Files (*.avi)");
    EXPECT_STREQ(f.c_str() + 24, "*.avi");
    EXPECT_EQ(f[30], '\0');
}
