#include "calendar/qt/lss_calendar.h"

#include <QDate>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>

#include "calendar/lunar.h"

namespace tobu {
namespace {

QRect ToQ(const TRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

TDateTime SystemToday() {
    const QDate d = QDate::currentDate();
    return EncodeDate(d.year(), d.month(), d.day());
}

constexpr std::int32_t kShadowColor = 0xC8C8C8;

} // namespace

QFont GridFont(const FontSpec& font) {
    QFont f(Q(font.name));
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(font.size * 96.0 / 72.0))));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    return f;
}

QColor GridColor(std::int32_t c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

TextSize MeasureGridText(const FontSpec& font, std::string_view text) {
    const QFontMetrics fm(GridFont(font));
    return {fm.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<int>(text.size()))),
            fm.height()};
}

// ---- TCalendarHint ----

TCalendarHint::TCalendarHint(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("TCalendarHint");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    hide();
}

void TCalendarHint::SetText(const QString& text) {
    text_ = text;
    layout_ = MeasureHint(
        text.toStdString(),
        [this](const FontSpec&, std::string_view t) {
            const QFontMetrics fm(this->font());
            return TextSize{
                fm.horizontalAdvance(QString::fromUtf8(t.data(), static_cast<int>(t.size()))),
                fm.height()};
        },
        FontSpec{});
    if (layout_.Visible()) {
        resize(layout_.width, layout_.height);
        if (isHidden()) show();
    } else {
        hide();
    }
    update();
}

void TCalendarHint::SetAlpha(int alpha) {
    if (alpha < 0 || alpha > 255 || alpha == alpha_) return;
    alpha_ = alpha;
    setWindowOpacity(alpha / 255.0);
}

void TCalendarHint::PlaceAt(const QPoint& pointer) {
    QScreen* s = QGuiApplication::screenAt(pointer);
    if (!s) s = QGuiApplication::primaryScreen();
    const QRect g = s ? s->geometry() : QRect(0, 0, 1280, 768);
    const HintPoint p = PlaceHint(pointer.x(), pointer.y(), width(), height(),
                                  TRect{g.left(), g.top(), g.right() + 1, g.bottom() + 1});
    move(p.x, p.y);
}

void TCalendarHint::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().toolTipBase());
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QFontMetrics fm(font());
    const int lh = fm.height();
    const int valueX = 5 + layout_.labelWidth;
    for (size_t i = 0; i < layout_.values.size(); ++i) {
        const int y = 5 + static_cast<int>(i) * lh + fm.ascent();
        if (i < layout_.labels.size() && !layout_.labels[i].empty()) {
            p.setPen(QColor(255, 0, 0));
            p.drawText(5, y, Q(layout_.labels[i]));
        }
        p.setPen(palette().toolTipText().color());
        p.drawText(layout_.labels.empty() ? 5 : valueX, y, Q(layout_.values[i]));
    }
}

// ---- TLssCalendar ----

TLssCalendar::TLssCalendar(QWidget* parent, std::function<TDateTime()> today)
    : QWidget(parent), grid_(today ? today() : SystemToday()), today_(std::move(today)) {
    setObjectName("LssCalendar1");
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    if (!today_) today_ = SystemToday;
    hint_ = new TCalendarHint(this);
    grid_.OnRepaint = [this](const GridRepaint& r) {
        if (r.kind == GridRepaint::TwoCells) {
            update(ToQ(r.oldCell));
            update(ToQ(r.newCell));
        } else if (r.kind == GridRepaint::TitleAndDays) {
            update();
        }
    };
    grid_.OnChange = [this] { emit changed(); };
    grid_.UpdateLayout(width(), height(), MeasureGridText);
}

void TLssCalendar::Refresh() {
    grid_.UpdateLayout(width(), height(), MeasureGridText);
    update();
}

void TLssCalendar::resizeEvent(QResizeEvent* e) {
    grid_.UpdateLayout(width(), height(), MeasureGridText);
    QWidget::resizeEvent(e);
}

void TLssCalendar::DrawText(QPainter& p, const FontSpec& font, std::int32_t color, const QRect& r,
                            const QString& text, int flags, bool shadow) {
    p.setFont(GridFont(font));
    if (shadow && grid_.ShadowFont) {
        p.setPen(GridColor(kShadowColor));
        p.drawText(r.translated(1, 1), flags, text);
    }
    p.setPen(GridColor(color));
    p.drawText(r, flags, text);
}

void TLssCalendar::DrawBand(QPainter& p, const TRect& band, TLssCalStyle style,
                            const FontSpec& font, std::int32_t color, const std::string& text) {
    const QRect r = ToQ(band);
    const QString t = Q(text);
    if (style != TLssCalStyle::csRight) {
        DrawText(p, font, color, r, t, Qt::AlignHCenter | Qt::AlignTop, false);
    } else if (!grid_.ShowVertical) {
        DrawText(p, font, color, r, t, Qt::AlignLeft | Qt::AlignVCenter, false);
    } else {
        const QFontMetrics fm(GridFont(font));
        const int th = fm.height();
        int y = r.top() + r.height() / 3 - th;
        for (int i = 0; i < std::min<int>(3, static_cast<int>(t.size())); ++i, y += th)
            DrawText(p, font, color, QRect(r.left() + 2, y, r.width(), th), t.mid(i, 1),
                     Qt::AlignLeft | Qt::AlignTop, false);
    }
}

void TLssCalendar::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing, grid_.SmoothText);
    const auto& col = grid_.CalColors.colors;
    const auto& fonts = grid_.CalColors.fonts;
    const QRect week = ToQ(grid_.WeekRect());
    const QRect days = ToQ(grid_.DayArea());
    const int cw = grid_.CW(), ch = grid_.CH();
    if (e->rect().intersects(week)) {
        p.fillRect(week, GridColor(col[kWeekBackColor]));
        const auto heads = grid_.WeekHeads();
        for (int i = 0; i < 7; ++i) {
            const int a = i + (grid_.UseISO8601() ? 1 : 0);
            const std::int32_t c = a == 0 || a == 7 ? col[kSundayColor]
                                   : a == 6         ? col[kSaturdayColor]
                                                    : fonts[kWeekTextFont].color;
            DrawText(p, fonts[kWeekTextFont], c, QRect(i * cw, 0, cw, ch), Q(heads[i]),
                     Qt::AlignCenter, false);
        }
        if (!grid_.ShowGrid) {
            p.setPen(GridColor(fonts[kWeekTextFont].color));
            p.drawLine(2, week.bottom() - 1, week.right() - 1, week.bottom() - 1);
        }
    }
    p.fillRect(days, GridColor(col[kDayBackColor]));
    if (grid_.ShowBackImage && !back_image_.isNull()) p.drawImage(days, back_image_);
    if (grid_.ShowBackMonth)
        DrawText(p, fonts[kBackMonthTextFont], fonts[kBackMonthTextFont].color,
                 QRect(0, days.top(), width(), days.height()), QString::number(grid_.Month()),
                 Qt::AlignCenter, false);
    if (grid_.ShowBorder) {
        p.setPen(GridColor(col[kBorderColor]));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (grid_.ShowGrid) {
        p.setPen(GridColor(col[kGridColor]));
        for (int i = 1; i <= 6; ++i) p.drawLine(i * cw, 0, i * cw, days.bottom());
        for (int i = 0; i < 6; ++i)
            p.drawLine(0, days.top() + i * ch, width(), days.top() + i * ch);
    }
    const TDateTime today = today_();
    for (int n = 0; n < 42; ++n) {
        const TRect cr = grid_.CellRect(grid_.FirstCellDate() + n);
        const QRect qr = ToQ(cr);
        if (!e->rect().intersects(qr)) continue;
        const GridCell c = grid_.Cell(n, today);
        if (c.markColor >= 0) {
            if (!mark_image_.isNull())
                p.drawImage(cr.left + 3, cr.bottom - 14, mark_image_);
            else
                p.fillRect(qr, GridColor(c.markColor));
        }
        if (!c.festivals.empty() && !ftv_image_.isNull())
            p.drawImage(cr.left + 3, cr.top + 3, ftv_image_);
        if (c.selected) {
            const QColor frame = GridColor(kSelectedFrameColor);
            const QRect f(cr.left + 1, cr.top + 1, qr.width() - 2, qr.height() - 2);
            p.fillRect(f.left(), f.top(), f.width(), 2, frame);
            p.fillRect(f.left(), f.bottom() - 1, f.width(), 2, frame);
            p.fillRect(f.left(), f.top(), 2, f.height(), frame);
            p.fillRect(f.right() - 1, f.top(), 2, f.height(), frame);
        }
        const TRect d = grid_.D();
        DrawText(p, fonts[kDayTextFont], c.dayColor,
                 QRect(cr.left + d.left, cr.top + d.top, d.right - d.left, d.bottom - d.top),
                 Q(c.dayText), Qt::AlignCenter, c.dayShadow);
        auto offset = [&](const TRect& r) {
            return TRect{cr.left + r.left, cr.top + r.top, cr.left + r.right, cr.top + r.bottom};
        };
        if (c.drawLunar)
            DrawBand(p, offset(grid_.L()), grid_.LunarCalStyle(), fonts[kLunarTextFont],
                     c.lunarColor, c.lunarText);
        if (c.drawFestival)
            DrawBand(p, offset(grid_.F()), grid_.FtvCalStyle(), fonts[kFtvTextFont], c.festColor,
                     c.festText);
    }
}

void TLssCalendar::keyPressEvent(QKeyEvent* e) {
    if (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
        QWidget::keyPressEvent(e);
        return;
    }
    std::optional<GridKey> key;
    switch (e->key()) {
    case Qt::Key_PageUp:
        key = GridKey::PageUp;
        break;
    case Qt::Key_PageDown:
        key = GridKey::PageDown;
        break;
    case Qt::Key_Home:
        key = GridKey::Home;
        break;
    case Qt::Key_End:
        key = GridKey::End;
        break;
    case Qt::Key_Left:
        key = GridKey::Left;
        break;
    case Qt::Key_Right:
        key = GridKey::Right;
        break;
    case Qt::Key_Up:
        key = GridKey::Up;
        break;
    case Qt::Key_Down:
        key = GridKey::Down;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key = GridKey::Enter;
        break;
    default:
        break;
    }
    if (!key) {
        QWidget::keyPressEvent(e);
        return;
    }
    if (grid_.HandleKey(*key)) emit clicked();
}

void TLssCalendar::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton) grid_.MouseDown(pos.x(), pos.y());
    if (e->button() == Qt::RightButton) emit rightPressed(pos);
}

void TLssCalendar::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) grid_.MouseUp();
}

void TLssCalendar::mouseMoveEvent(QMouseEvent* e) {
    if (!grid_.ShowHint) return;
    const QPoint pos = e->position().toPoint();
    const QPoint global = e->globalPosition().toPoint();
    if (const std::optional<TDateTime> date = grid_.DateAt(pos.x(), pos.y())) {
        const TRect cell = grid_.CellRect(*date);
        if (cell.left != last_hint_cell_.left || cell.top != last_hint_cell_.top) {
            last_hint_cell_ = cell;
            hint_->SetText(Q(HoverText(*date, grid_.FtvList, grid_.UseISO8601())));
            hint_->PlaceAt(global);
        } else if (hint_->isHidden()) {
            hint_->show();
        }
        return;
    }
    last_hint_cell_ = {-1, -1, -1, -1};
    static const char* const kArrowTexts[] = {"", "上一年", "上一月", "下一月", "下一年"};
    const ArrowZone zone = grid_.ArrowAt(pos.x(), pos.y());
    if (zone != ArrowZone::None) {
        hint_->SetText(QString::fromUtf8(kArrowTexts[static_cast<int>(zone)]));
        hint_->PlaceAt(global);
        return;
    }
    hint_->hide();
}

void TLssCalendar::leaveEvent(QEvent* e) {
    hint_->hide();
    last_hint_cell_ = {-1, -1, -1, -1};
    QWidget::leaveEvent(e);
}

} // namespace tobu
