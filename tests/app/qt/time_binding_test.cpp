// The time services on the bar: the TIME settings start the synchronisation worker at
// start-up, a later apply only changes its pause or stops it at once, and both menus' "城市时间
//查询" are enabled.
#include "app/qt/time_binding.h"

#include <QAction>
#include <chrono>
#include <gmock/gmock.h>

#include "app/qt/bar_test_access.h"
#include "app/qt/frm_led.h"
#include "platform/clock_setter.h"
#include "timeservices/time_sync.h"

using namespace tobu;

namespace {

class TimeBindingTest : public BarFolderTest {};

TEST_F(TimeBindingTest, SettingsStartUpdateAndStopTheWorker) {
    // No TimeHost.lst: the worker cycles without network traffic and never sets the clock.
    RecordingClockSetter setter;
    auto bar = NewBar("[TIME]\r\nAutoChcek=1\r\nStepHour=5\r\n");
    auto* binding = new TimeBinding(*bar, setter);
    bar->FormCreate();
    TSyncTime* worker = binding->Worker();
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(worker->PauseMs(), 5u * 3600000u);

    emit bar->timeSyncApplied({true, 2});
    EXPECT_EQ(binding->Worker(), worker);
    EXPECT_EQ(worker->PauseMs(), 2u * 3600000u);

    const auto start = std::chrono::steady_clock::now();
    emit bar->timeSyncApplied({false, 2}); // the worker is in its 10-second sleep
    EXPECT_EQ(binding->Worker(), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_TRUE(setter.calls.empty());

    for (const char* name : {"PM_WorldTime", "PM_WorldTime1"}) {
        auto items = bar->findChildren<QAction*>(name);
        ASSERT_EQ(items.size(), 1) << name;
        EXPECT_TRUE(items[0]->isEnabled()) << name;
    }
}

TEST_F(TimeBindingTest, WithoutAutomaticSynchronisationNoWorkerRuns) {
    RecordingClockSetter setter;
    auto bar = NewBar("[TIME]\r\nAutoChcek=0\r\n");
    auto* binding = new TimeBinding(*bar, setter);
    bar->FormCreate();
    EXPECT_EQ(binding->Worker(), nullptr);
}

} // namespace
