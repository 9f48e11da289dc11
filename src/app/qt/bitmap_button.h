// A picture button: a normal and a "hot" picture (shown under the mouse); magenta pixels of
// the pictures are see-through.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace tobu {

class TBitmapButton : public QWidget {
    Q_OBJECT
public:
    explicit TBitmapButton(QWidget* parent = nullptr);
    // Pictures with the colour key: magenta becomes transparent.
    void SetPictures(const QImage& normal, const QImage& hot);
    bool IsHot() const { return hot_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    QPixmap normal_, hot_picture_;
    bool hot_ = false;
    bool pressed_ = false;
};

// The picture with every magenta (0xFF00FF) pixel made fully transparent.
QImage ColorKeyed(const QImage& image);

} // namespace tobu
