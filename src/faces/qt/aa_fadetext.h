// The fade-text controls: TAAGraphicControl (a windowless control with a text engine, an update
// lock and a loaded flag), TAACustomText (adds the font and label collections) and TAAFadeText
// (one line at a time, cross-faded; the logic is TFadeTextCore). ConfigureDateLine sets up the
// bar's date line.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "faces/aa_fadetext.h"
#include "faces/qt/aa_glyphs.h"

namespace tobu {

// A TUITimer on a QTimer.
class TQtUITimer : public TUITimer {
public:
    explicit TQtUITimer(std::function<void()> onTimer, Qt::TimerType type = Qt::CoarseTimer);
    void SetInterval(unsigned ms) override { timer_.setInterval(static_cast<int>(ms)); }
    unsigned Interval() const override { return static_cast<unsigned>(timer_.interval()); }
    void SetEnabled(bool on) override;
    bool Enabled() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

class TAAGraphicControl : public QWidget {
    Q_OBJECT
public:
    explicit TAAGraphicControl(QWidget* parent = nullptr);

    TAAFontEx& Engine() { return engine_; }
    // While the lock is above zero, change notifications do not redraw. EndUpdate only lowers
    // the counter.
    void BeginUpdate() { ++updateLock_; }
    void EndUpdate() {
        if (updateLock_ > 0) --updateLock_;
    }
    bool Updating() const { return updateLock_ > 0; }
    bool IsLoaded() const { return loaded_; }
    // Loading is complete: the loaded-reset runs once (or at the first paint, if that is
    // earlier).
    void Loaded();

    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool on) { parentColor_ = on; }

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;
    std::function<void(Qt::MouseButton, int x, int y)> OnMouseDown;
    std::function<void(Qt::MouseButton, int x, int y)> OnMouseUp;
    std::function<void(int x, int y)> OnMouseMove;
    std::function<void(int x, int y)> OnContextPopup;

protected:
    virtual void PaintCanvas(QPainter&) {}
    virtual void LoadedReset() {}
    virtual void Redraw() { update(); }
    void Changed() {
        if (!Updating() && loaded_) Redraw();
    }

    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

    TQtGlyphSource glyphs_;
    TAAFontEx engine_;

private:
    int updateLock_ = 0;
    bool loaded_ = false;
    bool parentColor_ = true;
    bool pressed_ = false;
};

class TAACustomText : public TAAGraphicControl {
    Q_OBJECT
public:
    explicit TAACustomText(QWidget* parent = nullptr) : TAAGraphicControl(parent) {}
    TFontLabels& Fonts() { return fonts_; }
    TUserLabels& Labels() { return labels_; }

protected:
    TFontLabels fonts_;
    TUserLabels labels_;
};

class TAAFadeText : public TAACustomText, private TFadeTextHost {
    Q_OBJECT
public:
    explicit TAAFadeText(QWidget* parent = nullptr);
    ~TAAFadeText() override;

    TFadeTextParam& Text() { return core_->Text(); }
    TFadeLines& Lines() { return core_->Text().Lines(); }
    bool Active() const { return core_->Active(); }
    void SetActive(bool on) { core_->SetActive(on); }
    int RepeatCount() const { return core_->RepeatCount(); }
    void SetRepeatCount(int n) { core_->SetRepeatCount(n); }
    const TAACanvasFont& Font() const { return core_->Font(); }
    void SetFont(const TAACanvasFont& font) { core_->SetFont(font); }
    TColor Color() const { return core_->Color(); }
    void SetColor(TColor c) { core_->SetColor(c); }
    int LineIndex() const { return core_->LineIndex(); }
    void ShowLine(int index) { core_->ShowLine(index); }
    void NextLine() { core_->NextLine(); }
    void SetClock(const Clock* clock) { core_->SetClock(clock); }

    // The picture of the parent's client area that transparent mode copies from (on the bar:
    // the skin background). Without one, the parent and the controls below this one are
    // rendered instead.
    void SetBackgroundPicture(const QImage& picture);

    std::function<void()> OnComplete;
    std::function<void()> OnPainted;

    bool Updating() const override { return TAAGraphicControl::Updating(); }
    bool IsLoaded() const override { return TAAGraphicControl::IsLoaded(); }

    TFadeTextCore& Core() { return *core_; }
    // The picture last painted, as the control shows it.
    QImage DisplayImage() const;

protected:
    void PaintCanvas(QPainter& p) override;
    void LoadedReset() override;
    void Redraw() override;

private:
    // TFadeTextHost
    TSize ClientSize() const override { return {width(), height()}; }
    void CopyBackground(Bitmap32& target) override;
    void Invalidate() override { update(); }
    void PaintNow() override;

    TQtUITimer fadeTimer_;
    TQtUITimer lineTimer_;
    std::unique_ptr<TFadeTextCore> core_;
    QImage background_;
    bool copyingBackground_ = false;
};

// The bar's date line: bounds 173, 12, 154, 20; hand cursor; fonts FontCN ("宋体", 12 px,
// white, shadow at 1, 1) and FontAD ("宋体", 12 px, white, underlined); the labels Left,
// Center, Right, Owner, Organization, AppTitle, Date, Time; inactive; line delay 3500 ms; one
// empty line; transparent; quality aqNone. Ends with Loaded().
void ConfigureDateLine(TAAFadeText& dateLine);

} // namespace tobu
