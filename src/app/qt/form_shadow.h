// The soft drop shadow behind a window: a translucent, input-transparent, non-activating tool
// window painted with the shadow picture of app/chrome.h, following its form's position,
// state and opacity. Shown only where a compositing manager runs (without one a translucent
// window would be an opaque dark box).
//
// A form that uses a colour key tells the shadow with the dynamic property
// "transparentColor" (a TColor, e.g. 0xFF00FF); the shadow then follows the form's visible
// pixels rather than its rectangle. A window mask (QWidget::setMask) is followed as well.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "app/chrome.h"

namespace tobu {

class TFormShadow : public QWidget {
    Q_OBJECT
public:
    explicit TFormShadow(QWidget* owner = nullptr);
    ~TFormShadow() override;

    void Attach(QWidget* form); // nullptr detaches
    void SetShadowVisible(bool visible);
    void RefreshShadow(); // redraw the picture (after a size or opacity change) and re-place
    QWidget* Form() const { return form_; }

    // Whether a compositing manager owns _NET_WM_CM_S<screen> on the X display. Tests (and
    // platforms without X) can force the answer.
    static bool CompositingActive();
    static void ForceCompositing(std::optional<bool> value);

    const QImage& Picture() const { return picture_; }
    int RedrawCount() const { return redraws_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Replace();
    void Redraw();
    std::optional<TColor> FormKey() const;

    QPointer<QWidget> form_;
    ShadowTracker tracker_;
    QImage picture_;
    int redraws_ = 0;
    bool was_shown_ = false;
};

} // namespace tobu
