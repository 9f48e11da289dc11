#include "calendar/calendar_skin.h"

#include <gtest/gtest.h>

#include "settings/temp_dir.h"

namespace tobu {
namespace {

TEST(CalendarSkin, ShippedPackageGivesItsKeysOrDefaultsAndBadPackagesChangeNothing) {
    CalendarSkin skin;
    skin.mark_color = 0x123456;
    testing::TempDir dir;
    EXPECT_EQ(LoadCalendarSkin(dir.File("none.sk"), skin).status, SkinLoadStatus::Missing);
    testing::TempDir::Put(dir.File("bad.sk"), "not a package");
    EXPECT_FALSE(LoadCalendarSkin(dir.File("bad.sk"), skin).Applied());
    EXPECT_EQ(skin.mark_color, 0x123456u);
    EXPECT_TRUE(skin.background.pixels.empty());

    const std::string shipped = std::string(TOBU_TEST_SOURCE_DIR) + "/data/Skin/Light.sk";
    ASSERT_TRUE(LoadCalendarSkin(shipped, skin).Applied());
    EXPECT_EQ(skin.background.width, 332);
    EXPECT_EQ(skin.background.height, 390);
    EXPECT_EQ(skin.year_up.width, 11);
    EXPECT_EQ(skin.mark_color, 0x96E2FFu); // CALENDAR MarkColor of the package
    EXPECT_EQ(skin.day_back_color, 0xFFFFFFu);
}

} // namespace
} // namespace tobu
