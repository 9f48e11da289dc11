#include "platform/qt/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

#include <gtest/gtest.h>

namespace tobu {
namespace {

TEST(Fonts, SubstitutionTable) {
    EXPECT_EQ(FontSubstitute("宋体"), "AR PL UMing CN");
    EXPECT_EQ(FontSubstitute("楷体_GB2312"), "AR PL UKai CN");
    EXPECT_EQ(FontSubstitute("楷体"), "AR PL UKai CN");
    EXPECT_EQ(FontSubstitute("Tahoma"), "DejaVu Sans");
    EXPECT_EQ(FontSubstitute("tahoma"), "DejaVu Sans");
    EXPECT_EQ(FontSubstitute("Arial"), "Liberation Sans");
    EXPECT_EQ(FontSubstitute("Arial Black"), "Liberation Sans");
    EXPECT_EQ(FontSubstitute("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(FontSubstitute("黑体"), "");
    EXPECT_EQ(SubstitutedFontNames().size(), 7);

    InstallFontSubstitutions();
    // Qt keeps substitutes in lower case.
    EXPECT_EQ(QFont::substitute("宋体").toLower(), "ar pl uming cn");
    EXPECT_EQ(QFont::substitute("Times New Roman").toLower(), "liberation serif");
    EXPECT_EQ(QFont::substitute("Arial Black").toLower(), "liberation sans");
}

TEST(Fonts, WindowsNamesCountAsInstalledThroughTheirSubstitutes) {
    EXPECT_FALSE(IsFontInstalled("No Such Font 12345"));
    EXPECT_FALSE(IsFontInstalled(""));
    if (!QFontDatabase::families().contains("AR PL UMing CN"))
        GTEST_SKIP() << "AR PL UMing CN is not installed";
    InstallFontSubstitutions();
    EXPECT_TRUE(IsFontInstalled("宋体"));
    EXPECT_TRUE(IsFontInstalled("AR PL UMing CN"));
    QFont song("宋体", 9);
    EXPECT_EQ(QFontInfo(song).family(), "AR PL UMing CN");
    if (QFontDatabase::families().contains("AR PL UKai CN")) {
        EXPECT_TRUE(IsFontInstalled("楷体_GB2312"));
        EXPECT_TRUE(IsFontInstalled("楷体"));
    }
}

} // namespace
} // namespace tobu
