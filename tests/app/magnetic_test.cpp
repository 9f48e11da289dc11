#include "app/magnetic.h"

#include <map>
#include <ostream>

#include <gtest/gtest.h>

using namespace tobu;

namespace tobu {
// Readable rectangles in failure messages.
[[maybe_unused]] static void PrintTo(const TRect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}
} // namespace tobu

namespace {

constexpr TRect kWorkArea{0, 0, 1280, 768};
constexpr MagneticWindow kBar = 1, kCalendar = 2, kClock = 3, kWeather = 4, kOther = 9;

struct FakeWindow {
    TRect rect;
    bool visible = true;
    bool maximized = false;
};

class FakeHost : public MagneticHost {
public:
    std::map<MagneticWindow, FakeWindow> windows;
    int batches = 0;

    bool IsWindow(MagneticWindow w) const override { return windows.count(w) != 0; }
    bool IsVisible(MagneticWindow w) const override { return windows.at(w).visible; }
    bool IsMaximized(MagneticWindow w) const override { return windows.at(w).maximized; }
    TRect WindowRect(MagneticWindow w) const override { return windows.at(w).rect; }
    void MoveWindows(const std::vector<std::pair<MagneticWindow, TPoint>>& moves) override {
        ++batches;
        for (const auto& [w, p] : moves) {
            TRect& r = windows.at(w).rect;
            r = {p.x, p.y, p.x + r.Width(), p.y + r.Height()};
        }
    }
};

MagneticMessage Msg(MagneticEvent e) {
    MagneticMessage m;
    m.event = e;
    return m;
}

struct Fixture {
    FakeHost host;
    TMagnetic magnetic{host};
    MagneticCallback callback = nullptr;

    void Add(MagneticWindow w, TRect r, MagneticWindow parent = kNoMagneticWindow) {
        host.windows[w] = FakeWindow{r};
        ASSERT_TRUE(magnetic.AddWindow(w, parent, callback));
    }
    bool Send(MagneticWindow w, MagneticMessage& m) {
        bool handled = false;
        EXPECT_TRUE(callback(w, m, handled));
        return handled;
    }
    // A drag with the cursor grabbing the window's top-left corner + (5, 5): the press, one
    // mouse move per target corner (the proposal deliberately wrong) and the release. Returns
    // the window's final rectangle.
    TRect Drag(MagneticWindow w, std::initializer_list<TPoint> corners) {
        TRect& r = host.windows.at(w).rect;
        MagneticMessage enter = Msg(MagneticEvent::EnterSizeMove);
        enter.cursor = {r.left + 5, r.top + 5};
        enter.work_area = kWorkArea;
        Send(w, enter);
        for (TPoint c : corners) {
            MagneticMessage move = Msg(MagneticEvent::Moving);
            move.rect = {0, 0, r.Width(), r.Height()};
            move.cursor = {c.x + 5, c.y + 5};
            EXPECT_TRUE(Send(w, move));
            EXPECT_EQ(move.result, 1);
            r = move.rect;
        }
        MagneticMessage exit = Msg(MagneticEvent::ExitSizeMove);
        Send(w, exit);
        return r;
    }
};

TRect At(int left, int top, int w, int h) {
    return {left, top, left + w, top + h};
}

} // namespace

TEST(Magnetic, SnapsToTheWorkAreaWithinTheDistanceWithoutAccumulating) {
    Fixture f;
    EXPECT_EQ(f.magnetic.Distance(), 10);
    f.magnetic.SetDistance(15);
    f.Add(kBar, At(300, 300, 332, 34));
    EXPECT_EQ(f.Drag(kBar, {{14, 300}}), At(0, 300, 332, 34));
    EXPECT_EQ(f.Drag(kBar, {{15, 300}}), At(15, 300, 332, 34));
    // Right and bottom edges within 14 pixels; then, in the same drag, the cursor moves on and
    // the bar leaves the edge again exactly where the cursor puts it.
    EXPECT_EQ(f.Drag(kBar, {{1280 - 332 - 14, 768 - 34 - 14}}), At(948, 734, 332, 34));
    EXPECT_EQ(f.Drag(kBar, {{600, 740}, {600, 700}, {560, 650}}), At(560, 650, 332, 34));

    // A bar almost off the left edge stays where it is dropped: its right edge is not pulled
    // onto the screen's left edge, which would leave it entirely off the screen.
    EXPECT_EQ(f.Drag(kBar, {{-325, 300}}), At(-325, 300, 332, 34));
    EXPECT_EQ(f.Drag(kBar, {{100, 770}}), At(100, 770, 332, 34));
    // Between windows all four pairings hold: the bar's right edge meets another's left edge.
    f.Add(kOther, At(700, 100, 100, 100));
    EXPECT_EQ(f.Drag(kBar, {{700 - 332 - 12, 120}}), At(368, 120, 332, 34));
    // A maximised window counts with the work area's rectangle.
    f.host.windows[kOther].maximized = true;
    EXPECT_EQ(f.Drag(kBar, {{300, 300}}), At(300, 300, 332, 34));
}

TEST(Magnetic, FlushCompanionIsDockedFollowsAndDetaches) {
    Fixture f;
    f.magnetic.SetDistance(15);
    f.Add(kBar, At(300, 0, 332, 34));
    f.Add(kCalendar, At(340, 34, 200, 180), kBar); // flush under the bar, 40 to the right
    EXPECT_TRUE(f.magnetic.IsAttached(kCalendar));

    EXPECT_EQ(f.Drag(kBar, {{400, 200}, {500, 300}}), At(500, 300, 332, 34));
    EXPECT_EQ(f.host.windows[kCalendar].rect, At(540, 334, 200, 180));
    EXPECT_TRUE(f.magnetic.IsAttached(kCalendar));

    // Dragged 30 pixels away and released: no longer docked, stays behind.
    f.Drag(kCalendar, {{540, 364}});
    EXPECT_FALSE(f.magnetic.IsAttached(kCalendar));
    f.Drag(kBar, {{400, 200}});
    EXPECT_EQ(f.host.windows[kCalendar].rect, At(540, 364, 200, 180));
    // Dragged near again it clicks into place under the bar and follows once more.
    EXPECT_EQ(f.Drag(kCalendar, {{450, 245}}), At(450, 234, 200, 180));
    EXPECT_TRUE(f.magnetic.IsAttached(kCalendar));

    // A one-pixel gap is not docked.
    f.Add(kClock, At(0, 500, 150, 150), kBar);
    f.host.windows[kClock].rect = At(400, 235, 150, 150);
    f.host.windows[kCalendar].rect = At(400, 235, 200, 180);
    f.magnetic.RecomputeAttachments();
    EXPECT_FALSE(f.magnetic.IsAttached(kCalendar));
    EXPECT_FALSE(f.magnetic.IsAttached(kClock));

    // Hiding a docked window and showing it again is noticed.
    f.host.windows[kCalendar].rect = At(400, 234, 200, 180);
    f.magnetic.RecomputeAttachments();
    f.host.windows[kCalendar].visible = false;
    MagneticMessage hidden = Msg(MagneticEvent::PosChanged);
    hidden.shown_or_hidden = true;
    f.Send(kCalendar, hidden);
    EXPECT_FALSE(f.magnetic.IsAttached(kCalendar));
}

TEST(Magnetic, DockedChildSnapsToFreeWindowsButNotToTheWorkArea) {
    Fixture f;
    f.Add(kBar, At(300, 300, 332, 34));
    f.Add(kClock, At(250, 334, 150, 150), kBar); // sticks out 50 to the left of the bar
    ASSERT_TRUE(f.magnetic.IsAttached(kClock));
    // The clock's left edge comes to 6 from the screen edge while the bar's is 56 away.
    EXPECT_EQ(f.Drag(kBar, {{56, 300}}), At(56, 300, 332, 34));
    EXPECT_EQ(f.host.windows[kClock].rect, At(6, 334, 150, 150));
    EXPECT_EQ(f.host.batches, 1);
    // A free window 6 pixels below where the clock lands pulls the whole group down.
    f.Add(kOther, At(800, 790, 100, 100));
    f.host.windows[kOther].rect = At(20, 490, 300, 50);
    f.magnetic.RecomputeAttachments();
    EXPECT_EQ(f.Drag(kBar, {{56, 300}}), At(56, 306, 332, 34));
    EXPECT_EQ(f.host.windows[kClock].rect, At(6, 340, 150, 150));
}

TEST(Magnetic, RegistrationRefusalsSelfParentAndRemoval) {
    Fixture f;
    f.Add(kBar, At(0, 0, 332, 34));
    MagneticCallback cb = f.callback;
    EXPECT_FALSE(f.magnetic.AddWindow(kBar, kNoMagneticWindow, cb)); // already registered
    EXPECT_EQ(cb, nullptr);
    EXPECT_FALSE(f.magnetic.AddWindow(77, kNoMagneticWindow, cb)); // not a window
    f.host.windows[kWeather] = FakeWindow{At(0, 34, 100, 100)};
    EXPECT_FALSE(f.magnetic.AddWindow(kWeather, 77, cb)); // parent not a window
    EXPECT_EQ(f.magnetic.Count(), 1);

    // Registered as its own parent it is a top window: it does not follow the bar.
    f.Add(kWeather, At(0, 34, 100, 100), kWeather);
    EXPECT_EQ(f.magnetic.ParentOf(kWeather), kNoMagneticWindow);
    EXPECT_FALSE(f.magnetic.IsAttached(kWeather));

    f.Add(kCalendar, At(0, 34, 200, 180), kBar);
    f.Add(kClock, At(200, 34, 150, 150), kBar);
    ASSERT_TRUE(f.magnetic.IsAttached(kCalendar));
    ASSERT_TRUE(f.magnetic.IsAttached(kClock));
    // Removing the bar orphans its companions; later entries keep their own data.
    EXPECT_TRUE(f.magnetic.RemoveWindow(kBar));
    EXPECT_FALSE(f.magnetic.RemoveWindow(kBar));
    EXPECT_EQ(f.magnetic.ParentOf(kCalendar), kNoMagneticWindow);
    EXPECT_FALSE(f.magnetic.IsAttached(kClock));
    f.Drag(kCalendar, {{0, 300}});
    EXPECT_EQ(f.host.windows[kClock].rect, At(200, 34, 150, 150));

    // Once the object is gone the callback says so.
    MagneticCallback last = f.callback;
    MagneticMessage m = Msg(MagneticEvent::Command);
    bool handled = true;
    {
        FakeHost h;
        TMagnetic other(h);
        EXPECT_EQ(TMagnetic::Instance(), &other);
    }
    EXPECT_FALSE(last(kCalendar, m, handled));
    EXPECT_FALSE(handled);
}

TEST(Magnetic, ChainsOfDockedSiblingsAllFollow) {
    Fixture f;
    // Registered from the far end, so one pass over the entries cannot reach it.
    f.host.windows[kBar] = FakeWindow{At(100, 0, 332, 34)};
    f.Add(kWeather, At(100, 234, 200, 100), kBar);
    f.Add(kClock, At(100, 134, 200, 100), kBar);
    f.Add(kCalendar, At(100, 34, 200, 100), kBar);
    f.Add(kBar, At(100, 0, 332, 34));
    EXPECT_TRUE(f.magnetic.IsAttached(kCalendar));
    EXPECT_TRUE(f.magnetic.IsAttached(kClock));
    EXPECT_TRUE(f.magnetic.IsAttached(kWeather));
    f.Drag(kBar, {{300, 100}});
    EXPECT_EQ(f.host.windows[kWeather].rect, At(300, 334, 200, 100));
    EXPECT_EQ(f.host.batches, 1);
    // A short drag: the moved companions do not snap to each other's old places.
    f.Drag(kBar, {{303, 106}});
    EXPECT_EQ(f.host.windows[kBar].rect, At(303, 106, 332, 34));
    EXPECT_EQ(f.host.windows[kWeather].rect, At(303, 340, 200, 100));

    // A hidden link breaks the chain below it.
    f.host.windows[kClock].visible = false;
    MagneticMessage minimised = Msg(MagneticEvent::SysCommand);
    minimised.sys_command = MagneticSysCommand::Minimize;
    f.Send(kClock, minimised);
    EXPECT_TRUE(f.magnetic.IsAttached(kCalendar));
    EXPECT_FALSE(f.magnetic.IsAttached(kWeather));

    // Touching: flush edges or corners, never across a gap.
    EXPECT_TRUE(Touching(At(0, 0, 10, 10), At(10, 10, 5, 5)));
    EXPECT_FALSE(Touching(At(0, 0, 10, 10), At(11, 0, 5, 5)));
    EXPECT_FALSE(Touching(At(0, 0, 10, 10), At(2, 2, 5, 5)));
}

TEST(Magnetic, SnapSizeMovesOnlyTheDraggedEdges) {
    Fixture f;
    f.Add(kBar, At(300, 300, 332, 34));
    f.Add(kOther, At(700, 250, 100, 100));
    MagneticMessage enter = Msg(MagneticEvent::EnterSizeMove);
    enter.work_area = kWorkArea;
    f.Send(kBar, enter);
    MagneticMessage m = Msg(MagneticEvent::Sizing);
    m.rect = {300, 300, 693, 343};
    m.edge = SizeEdge::BottomRight;
    EXPECT_TRUE(f.Send(kBar, m));
    EXPECT_EQ(m.rect, (TRect{300, 300, 700, 350})); // right onto its left, bottom onto its bottom
    // The left edge stays: it is not being dragged although it is 5 from nothing else.
    m.rect = {5, 300, 693, 340};
    m.edge = SizeEdge::Right;
    f.Send(kBar, m);
    EXPECT_EQ(m.rect, (TRect{5, 300, 700, 340}));
    // Against the work area only its inner edges: left to left, not left to right.
    m.rect = {1275, 300, 1400, 340};
    m.edge = SizeEdge::Left;
    f.Send(kBar, m);
    EXPECT_EQ(m.rect, (TRect{1275, 300, 1400, 340}));
    m.rect = {4, 3, 200, 340};
    m.edge = SizeEdge::TopLeft;
    f.Send(kBar, m);
    EXPECT_EQ(m.rect, (TRect{0, 0, 200, 340}));
}
