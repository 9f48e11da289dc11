#include "app/qt/frm_calendar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <gmock/gmock.h>

#include "app/qt/mark_dialogs.h"
#include "base/text.h"
#include "calendar/qt/lss_calendar.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "settings/temp_dir.h"

namespace tobu {
namespace {

using testing::TempDir;

class FixedClock : public Clock {
public:
    explicit FixedClock(TDateTime t) : t_(t) {}
    TDateTime Now() const override { return t_; }

private:
    TDateTime t_;
};

class ScriptedMarkDialogs : public MarkDialogs {
public:
    bool EditMark(QWidget*, std::string& name, std::string& note, TDateTime,
                  const std::function<std::string(int, const std::string&)>& markText) override {
        editedName = name;
        shownNote = markText(name[0] - '0', name.substr(1));
        if (!editAnswer) return false;
        name = newName.empty() ? name : newName;
        note = newNote;
        return true;
    }
    bool ConfirmDeleteMark(QWidget*, const std::string& text, bool& solar, bool& lunar) override {
        deleteText = text;
        solar = deleteSolar;
        lunar = deleteLunar;
        return true;
    }
    int InputYear(QWidget*, int) override { return 0; }

    bool editAnswer = true;
    std::string newName, newNote, editedName, shownNote, deleteText;
    bool deleteSolar = true, deleteLunar = true;
};

TDateTime D(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

QRgb Rgb(std::int32_t c) {
    return GridColor(c).rgb();
}

struct Window {
    TempDir dir;
    FixedClock clock{D(2024, 2, 10) + 0.5};
    ScriptedMarkDialogs dialogs;
    ScriptedMessageBox box;
    std::unique_ptr<TFrmCalendar> frm;
    explicit Window(std::string_view marks = {}, std::string appDir = {}) {
        if (!marks.empty()) TempDir::Put(dir.File("Marks.rec"), marks);
        TFrmCalendar::Services s;
        s.clock = &clock;
        s.messageBox = &box;
        s.dialogs = &dialogs;
        s.appDir = appDir.empty() ? dir.Dir() : appDir;
        s.shadows = false;
        frm = std::make_unique<TFrmCalendar>(s);
    }
    std::string File() { return TempDir::Get(dir.File("Marks.rec")); }
};

TEST(FrmCalendar, BoundsLabelsAndDisplayModes) {
    Window w;
    EXPECT_EQ(w.frm->size(), QSize(332, 390));
    EXPECT_EQ(w.frm->Grid()->geometry(), QRect(3, 43, 326, 272));
    const auto labels = w.frm->InfoLabels();
    EXPECT_EQ(labels[0]->geometry(), QRect(12, 321, 309, 17));
    EXPECT_EQ(labels[3]->geometry(), QRect(12, 372, 309, 17));
    EXPECT_EQ(labels[0]->text(), QStringLiteral("农历： 二零二四年正月初一"));
    EXPECT_EQ(w.frm->findChild<QLabel*>("RzLabel1")->text(), QStringLiteral("2024年"));
    EXPECT_EQ(w.frm->findChild<QLabel*>("RzLabel2")->text(), QStringLiteral("02月"));
    w.frm->PM_GNClick(2);
    EXPECT_EQ(w.frm->findChild<QLabel*>("RzLabel3")->text(), QStringLiteral("公历-节日"));
    const MonthGrid& g = w.frm->Grid()->Grid();
    EXPECT_EQ(g.Cell(13, D(2024, 2, 10)).bandKind, BandKind::Festival);
    w.frm->PM_GNClick(1);
    EXPECT_TRUE(g.ChineseEar);
    EXPECT_EQ(g.Cell(1, 0).bandKind, BandKind::GanZhi);
    w.frm->PM_GNClick(0);
    EXPECT_FALSE(g.ChineseEar);
    EXPECT_EQ(g.Cell(1, 0).bandKind, BandKind::Day);
}

TEST(FrmCalendar, PaintedGridTodayFrameMarkAndGreyDays) {
    Window w(Utf8ToGbk("00214=x\r\n"));
    TLssCalendar* grid = w.frm->Grid();
    grid->Grid().SetDate(D(2024, 2, 20));
    const QImage img = grid->grab().toImage();
    const MonthGrid& g = grid->Grid();
    auto count = [&](const TRect& r, QRgb c) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += img.pixel(x, y) == c;
        return n;
    };
    // Today (2024-02-10) says 今天 in green.
    EXPECT_GT(count(g.CellRect(D(2024, 2, 10)), Rgb(0x008000)), 10);
    // The selected frame: two pixels of FF8000 from left + 1, top + 1.
    const TRect sel = g.CellRect(D(2024, 2, 20));
    EXPECT_EQ(img.pixel(sel.left + 1, sel.top + 1), Rgb(0xFF8000));
    EXPECT_EQ(img.pixel(sel.left + 2, sel.top + 20), Rgb(0xFF8000));
    EXPECT_EQ(img.pixel(sel.right - 2, sel.bottom - 2), Rgb(0xFF8000));
    EXPECT_NE(img.pixel(sel.left, sel.top + 20), Rgb(0xFF8000));
    EXPECT_NE(img.pixel(sel.left + 3, sel.top + 20), Rgb(0xFF8000));
    // The mark picture at left + 3, bottom - 14 (its centre is the dark orange).
    const TRect marked = g.CellRect(D(2024, 2, 14));
    EXPECT_EQ(img.pixel(marked.left + 3 + 4, marked.bottom - 14 + 4), qRgb(0xFC, 0x6E, 0x04));
    EXPECT_EQ(count(g.CellRect(D(2024, 2, 13)), qRgb(0xFC, 0x6E, 0x04)), 0);
    EXPECT_EQ(count(g.CellRect(D(2024, 2, 13)), Rgb(0xFF8000)), 0);
    // Days of the neighbouring months are grey.
    EXPECT_GT(count(g.CellRect(D(2024, 1, 28)), Rgb(0xC8C8C8)), 5);
}

TEST(FrmCalendar, KeyboardAndMouseSelection) {
    Window w;
    TLssCalendar* grid = w.frm->Grid();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(grid, &right);
    EXPECT_EQ(grid->Date(), D(2024, 2, 11));
    QKeyEvent shifted(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
    QApplication::sendEvent(grid, &shifted);
    EXPECT_EQ(grid->Date(), D(2024, 2, 11));
    QKeyEvent pgdn(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(grid, &pgdn);
    EXPECT_EQ(grid->Date(), D(2024, 3, 11));
    const TRect cell = grid->Grid().CellRect(D(2024, 3, 20));
    const QPointF at(cell.left + 5, cell.top + 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, grid->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &press);
    EXPECT_EQ(grid->Date(), D(2024, 3, 20));
    EXPECT_EQ(w.frm->InfoLabels()[0]->text(), QStringLiteral("农历： 二零二四年二月十一 (春分)"));
}

TEST(FrmCalendar, MarkItemsWriteSortedFileAndDeleteOnlyTheGregorianMark) {
    Window w(Utf8ToGbk("10101=春\r\n00210=old\r\n"));
    // 标记当日 on a day with a mark shows its note and replaces the line.
    w.dialogs.newNote = "新";
    w.frm->PM_MarkClick();
    EXPECT_EQ(w.dialogs.editedName, "00210");
    EXPECT_EQ(w.dialogs.shownNote, "old");
    EXPECT_EQ(w.File(), Utf8ToGbk("00210=新\r\n10101=春\r\n"));
    EXPECT_EQ(w.frm->InfoLabels()[3]->text(), QStringLiteral("标记： 新  *春"));
    // 取消标记 with only the Gregorian box: the lunar mark stays.
    w.dialogs.deleteLunar = false;
    w.frm->PM_DelMarkClick();
    EXPECT_EQ(w.dialogs.deleteText, "公历：02月10日   农历：01月01日");
    EXPECT_EQ(w.File(), Utf8ToGbk("10101=春\r\n"));
    EXPECT_EQ(w.frm->GetMarkText(0, "0210"), "");
    EXPECT_EQ(w.frm->InfoLabels()[3]->text(), QStringLiteral("标记： *春"));
    // The lunar key of the selected date itself, in another year too: 2023-01-22 is lunar 01-01.
    w.frm->Grid()->SetDate(D(2023, 1, 22));
    w.dialogs.deleteLunar = true;
    w.frm->PM_DelMarkClick();
    EXPECT_EQ(w.File(), "");
}

TEST(FrmCalendar, FailedSaveWarnsOnceAndKeepsTheList) {
    Window w({}, "/nonexistent-folder/");
    w.dialogs.newNote = "a";
    w.frm->PM_MarkClick();
    w.frm->PM_MarkClick();
    ASSERT_EQ(w.box.calls.size(), 1u);
    EXPECT_EQ(w.box.calls[0].caption, "警告");
    EXPECT_NE(w.box.calls[0].text.find("/nonexistent-folder/Marks.rec"), std::string::npos);
    EXPECT_TRUE(w.frm->SavePending());
    EXPECT_EQ(w.frm->GetMarkText(0, "0210"), "a");
}

TEST(FrmCalendar, MarkListDialogEditsAndDeletes) {
    Window w(Utf8ToGbk("10505=b\r\n00101=a\r\n"));
    TFrmMark::Hooks hooks;
    hooks.dialogs = &w.dialogs;
    hooks.messageBox = &w.box;
    std::vector<std::string> applied, removed;
    hooks.applyMark = [&](const std::string& n) { applied.push_back(n); };
    hooks.removeMark = [&](const std::string& n) { removed.push_back(n); };
    hooks.markText = [](int, const std::string&) { return std::string(); };
    hooks.today = D(2024, 2, 10);
    TFrmMark dialog(nullptr, w.frm->Marks(), hooks);
    ASSERT_EQ(dialog.ListBox()->count(), 2);
    EXPECT_EQ(dialog.ListBox()->item(0)->text(), QStringLiteral("公历\t01月01日\ta"));
    w.dialogs.newNote = "c";
    dialog.AddClick();
    EXPECT_EQ(dialog.ListBox()->count(), 3);
    EXPECT_EQ(applied, std::vector<std::string>{"00210"});
    dialog.ListBox()->item(0)->setSelected(true);
    w.box.answers = {MsgAnswer::Yes};
    dialog.DeleteClick();
    EXPECT_EQ(w.box.calls.back().text, "确实要删除选择的标记吗？");
    EXPECT_EQ(removed, std::vector<std::string>{"00101"});
    EXPECT_EQ(w.frm->Marks().Count(), 2u);
}

TEST(CalendarHintPopup, HoverTextSizeAndPlacement) {
    TLssCalendar grid(nullptr, [] { return D(2024, 2, 10); });
    grid.resize(326, 272);
    grid.Grid().ShowHint = true;
    grid.SetDate(D(2023, 3, 22));
    const TRect cell = grid.Grid().CellRect(D(2023, 3, 22));
    const QPointF at(cell.left + 5, cell.top + 5);
    QMouseEvent move(QEvent::MouseMove, at, QPointF(100, 100), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&grid, &move);
    TCalendarHint* hint = grid.Hint();
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->Text().startsWith(QStringLiteral("公元= 2023年3月22日 星期三")));
    EXPECT_TRUE(hint->Text().contains(QStringLiteral("农历= 二零二三年闰二月初一")));
    const QFontMetrics fm(hint->font());
    EXPECT_EQ(hint->height(), fm.height() * hint->Layout().values.size() + 10);
    EXPECT_EQ(hint->pos(), QPoint(116, 116));
    // Within the same cell the popup stays where it is.
    QMouseEvent again(QEvent::MouseMove, at + QPointF(3, 3), QPointF(300, 300), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&grid, &again);
    EXPECT_EQ(hint->pos(), QPoint(116, 116));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&grid, &leave);
    EXPECT_FALSE(hint->isVisible());
}

} // namespace
} // namespace tobu
