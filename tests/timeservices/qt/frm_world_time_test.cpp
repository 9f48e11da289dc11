#include "timeservices/qt/frm_world_time.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdlib>

#include <gtest/gtest.h>

#include "base/text.h"
#include "platform/clock_setter.h"
#include "platform/message_box.h"
#include "timeservices/qt/sync_now.h"
#include "timeservices/time_server.h"

namespace tobu {
namespace {

class WorldTimeWindow : public testing::SyncFixture {
protected:
    QString Text(TFrmWorldTime& f, const char* name) {
        auto* l = f.findChild<QLabel*>(name);
        return l && !l->isHidden() ? l->text() : QString("<hidden>");
    }
};

TEST_F(WorldTimeWindow, PanelTextsFollowTheSelectionAndTheClock) {
    WriteFile("TimeZone.lst",
              Utf8ToGbk("1|法国|Paris|巴黎|UTC/GMT +1 小时 (东一区)|北纬 48°51', 东经 2°21'|3/29 "
                        "2:00|10/25 2:00\r\n8|中国|Beijing|北京|UTC/GMT +8 小时 (东八区)|北纬 "
                        "39°54', 东经 116°23'\r\n8|中国|Shanghai|上海\r\n"));
    setenv("TZ", "UTC", 1);
    TDateTime utc = EncodeDateTime(2026, 10, 25, 0, 59, 58);
    TFrmWorldTime f(dir_ + "/TimeZone.lst", [&] { return utc; });
    EXPECT_EQ(f.findChild<QComboBox*>("ComboBoxCountry")->count(), 2);
    EXPECT_EQ(f.findChild<QComboBox*>("ComboBoxCountry")->maxVisibleItems(), 30);
    ASSERT_TRUE(f.PanelVisible()); // the first city of the first country
    EXPECT_EQ(Text(f, "LabelTitle"), QString::fromUtf8("法国 - 巴黎 Paris"));
    EXPECT_EQ(Text(f, "LabelTime"), QString::fromUtf8("2026年10月25日 02:59:58 (夏时制)"));
    EXPECT_EQ(Text(f, "LabelZone"), QString::fromUtf8("时区: UTC/GMT +1 小时 (东一区)"));
    EXPECT_EQ(Text(f, "LabelPosition"), QString::fromUtf8("位置: 北纬 48°51', 东经 2°21'"));
    EXPECT_EQ(Text(f, "LabelStart"), QString::fromUtf8("夏时制开始日期: 2026年03月29日 02:00"));
    EXPECT_EQ(Text(f, "LabelEnd"), QString::fromUtf8("夏时制结束日期: 2026年10月25日 02:00"));
    // A window left open across the change shows the right time.
    utc = EncodeDateTime(2026, 10, 25, 1, 0, 1);
    f.RefreshTime();
    EXPECT_EQ(Text(f, "LabelTime"), QString::fromUtf8("2026年10月25日 02:00:01 "));

    f.SelectCountry(1);
    EXPECT_EQ(f.findChild<QTreeWidget*>("ListViewCity")->topLevelItemCount(), 2);
    EXPECT_EQ(Text(f, "LabelTitle"), QString::fromUtf8("中国 - 北京 Beijing"));
    EXPECT_EQ(Text(f, "LabelTime"), QString::fromUtf8("2026年10月25日 09:00:01 "));
    EXPECT_EQ(Text(f, "LabelStart"), "<hidden>");
    EXPECT_EQ(Text(f, "LabelEnd"), "<hidden>");
    f.SelectCity(-1);
    EXPECT_FALSE(f.PanelVisible());
    unsetenv("TZ");
}

TEST_F(WorldTimeWindow, AListThatFailsToLoadLeavesBothListsEmpty) {
    WriteFile("TimeZone.lst", "8|a|s|n\n1|b|s|n|z|p|13/1 0:00|3/1 0:00\n");
    TFrmWorldTime f(dir_ + "/TimeZone.lst");
    EXPECT_EQ(f.findChild<QComboBox*>("ComboBoxCountry")->count(), 0);
    EXPECT_EQ(f.findChild<QTreeWidget*>("ListViewCity")->topLevelItemCount(), 0);
    EXPECT_FALSE(f.PanelVisible());
}

TEST_F(WorldTimeWindow, SyncNowUpdatesTheLabelOrTellsThatTheClockCouldNotBeSet) {
    testing::TimeServer server({{{testing::BigEndian(0xE99E0E00), 0}}});
    WriteFile("TimeHost.lst", server.entry());
    const std::string app = dir_ + "/";
    EXPECT_EQ(LastSyncText(app), QString::fromUtf8("最后校正于:"));
    QLabel label(LastSyncText(app));
    QPushButton button;
    ScriptedMessageBox box;
    auto out = RunSyncNow(app, &button, &label, box, SystemClockSetter::Instance());
    ASSERT_TRUE(out.ok()) << out.message;
    EXPECT_EQ(label.text(),
              QString::fromUtf8("最后校正于: ") + QString::fromStdString(out.checked));
    EXPECT_EQ(LastSyncText(app), label.text());
    EXPECT_TRUE(button.isEnabled());
    EXPECT_TRUE(box.calls.empty());

    WriteFile("setter.status", "1");
    label.setText("before");
    out = RunSyncNow(app, &button, &label, box, SystemClockSetter::Instance());
    EXPECT_EQ(out.error, TimeError::SetFailed);
    EXPECT_EQ(label.text(), "before");
    ASSERT_EQ(box.calls.size(), 1u);
    EXPECT_EQ(box.calls[0].caption, "提示");
    EXPECT_EQ(box.calls[0].text, "无法设置系统时间。");
}

} // namespace
} // namespace tobu
