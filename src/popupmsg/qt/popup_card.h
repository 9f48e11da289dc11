// One popup of the popup program: a borderless, rounded dark-blue card with the title
// "Tobu桌面时钟", a close mark, the wrapped text and the time it arrived. A click anywhere on
// it asks for it to close.
//
// The card grows with its text up to kMaxHeight. A longer text is shown whole all the same: the
// body scrolls with the wheel and by dragging it (a drag does not close the card), a slim bar at
// the right edge shows where the view is, and the edge where more text lies fades out. The card
// says when the mouse enters and leaves it, so that its closing time can wait meanwhile.
#pragma once

#include <QPoint>
#include <QString>
#include <QTextLayout>
#include <QWidget>
#include <memory>

namespace tobu {

class TPopupCard : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 300;
    static constexpr int kMinHeight = 96;
    static constexpr int kMaxHeight = 420;

    TPopupCard(int id, const QString& text, const QString& arrived);
    ~TPopupCard() override;

    int Id() const { return id_; }
    const QString& Text() const { return text_; }
    // The height a card needs for the text, between kMinHeight and kMaxHeight.
    static int HeightFor(const QString& text);

    // The body's view of the text: the height of the whole text, of the visible part, and how
    // far the view is scrolled down (0 .. MaxScroll()).
    int ContentHeight() const { return contentHeight_; }
    int ViewHeight() const;
    int MaxScroll() const;
    int ScrollOffset() const { return scroll_; }
    bool Scrollable() const { return MaxScroll() > 0; }
    void ScrollTo(int offset);

signals:
    void clicked(int id);
    // The mouse entered (true) or left (false) the card.
    void hovered(int id, bool inside);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    void PaintBody(QPainter& p);

    int id_;
    QString text_;
    QString arrived_;
    std::unique_ptr<QTextLayout> body_; // the whole text, laid out once
    int contentHeight_ = 0;
    int lineStep_ = 16; // one wheel line
    int scroll_ = 0;
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressAt_;
    int pressScroll_ = 0;
};

} // namespace tobu
