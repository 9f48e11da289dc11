// One popup of the popup program: a borderless, rounded dark-blue card with the title
// "Tobu桌面时钟", a close mark, the wrapped text and the time it arrived. A click anywhere on
// it asks for it to close.
#pragma once

#include <QString>
#include <QWidget>

namespace tobu {

class TPopupCard : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 300;
    static constexpr int kMinHeight = 96;
    static constexpr int kMaxHeight = 420;

    TPopupCard(int id, const QString& text, const QString& arrived);

    int Id() const { return id_; }
    const QString& Text() const { return text_; }
    // The height a card needs for the text, between kMinHeight and kMaxHeight.
    static int HeightFor(const QString& text);

signals:
    void clicked(int id);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    int id_;
    QString text_;
    QString arrived_;
};

} // namespace tobu
