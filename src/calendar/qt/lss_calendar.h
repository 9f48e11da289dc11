// The month grid control TLssCalendar and its hint popup TCalendarHint: thin windows over the
// grid logic (calendar/month_grid.h), which decides every date, text, colour and rectangle.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "calendar/calendar_hint.h"
#include "calendar/month_grid.h"

namespace tobu {

// A font of the grid as Qt draws it (pixel size from points at 96 dots per inch).
QFont GridFont(const FontSpec& font);
QColor GridColor(std::int32_t color);
// Measures with Qt's font metrics.
TextSize MeasureGridText(const FontSpec& font, std::string_view text);

class TCalendarHint : public QWidget {
    Q_OBJECT
public:
    explicit TCalendarHint(QWidget* parent = nullptr);
    // Re-measures, resizes and shows (hides when the size is zero), then repaints.
    void SetText(const QString& text);
    QString Text() const { return text_; }
    const HintLayout& Layout() const { return layout_; }
    void SetAlpha(int alpha); // 0..255; other values ignored
    int Alpha() const { return alpha_; }
    void PlaceAt(const QPoint& pointer);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString text_;
    HintLayout layout_;
    int alpha_ = 0;
};

class TLssCalendar : public QWidget {
    Q_OBJECT
public:
    // `today` answers today's date for the "今天" cell (the system clock's by default).
    explicit TLssCalendar(QWidget* parent = nullptr, std::function<TDateTime()> today = {});

    MonthGrid& Grid() { return grid_; }
    const MonthGrid& Grid() const { return grid_; }
    void SetDate(TDateTime date) { grid_.SetDate(date); }
    TDateTime Date() const { return grid_.Date(); }
    void SetMarkImage(const QImage& image) { mark_image_ = image; }
    void SetFtvImage(const QImage& image) { ftv_image_ = image; }
    void SetBackImage(const QImage& image) { back_image_ = image; }
    TCalendarHint* Hint() const { return hint_; }
    // Repaints everything after a change of the configuration.
    void Refresh();

signals:
    void changed();
    void clicked();
    void rightPressed(const QPoint& pos);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    void DrawText(QPainter& p, const FontSpec& font, std::int32_t color, const QRect& r,
                  const QString& text, int flags, bool shadow);
    void DrawBand(QPainter& p, const TRect& band, TLssCalStyle style, const FontSpec& font,
                  std::int32_t color, const std::string& text);

    MonthGrid grid_;
    std::function<TDateTime()> today_;
    QImage mark_image_, ftv_image_, back_image_;
    TCalendarHint* hint_ = nullptr;
    TRect last_hint_cell_{-1, -1, -1, -1};
};

} // namespace tobu
