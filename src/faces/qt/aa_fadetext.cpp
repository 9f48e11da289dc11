#include "faces/qt/aa_fadetext.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tobu {

namespace {

QImage WrapBitmap(const Bitmap32& bmp) {
    if (bmp.Empty()) return QImage();
    return QImage(reinterpret_cast<const uchar*>(bmp.pixels.data()), bmp.width, bmp.height,
                  bmp.width * 4, QImage::Format_RGB32);
}

} // namespace

// --- timer --------------------------------------------------------------------------------

TQtUITimer::TQtUITimer(std::function<void()> onTimer, Qt::TimerType type) {
    timer_.setTimerType(type);
    QObject::connect(&timer_, &QTimer::timeout, [fn = std::move(onTimer)] {
        if (fn) fn();
    });
}

void TQtUITimer::SetEnabled(bool on) {
    if (on && !timer_.isActive())
        timer_.start();
    else if (!on)
        timer_.stop();
}

// --- graphic control ----------------------------------------------------------------------

TAAGraphicControl::TAAGraphicControl(QWidget* parent) : QWidget(parent), engine_(&glyphs_) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TAAGraphicControl::Loaded() {
    if (loaded_) return;
    loaded_ = true;
    LoadedReset();
}

void TAAGraphicControl::paintEvent(QPaintEvent*) {
    if (!loaded_) Loaded();
    QPainter p(this);
    PaintCanvas(p);
}

void TAAGraphicControl::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) pressed_ = true;
    if (OnMouseDown)
        OnMouseDown(e->button(), e->position().toPoint().x(), e->position().toPoint().y());
}

void TAAGraphicControl::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(pos);
    if (e->button() == Qt::LeftButton) pressed_ = false;
    if (OnMouseUp) OnMouseUp(e->button(), pos.x(), pos.y());
    if (click && OnClick) OnClick();
}

void TAAGraphicControl::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && OnDblClick) OnDblClick();
}

void TAAGraphicControl::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove) OnMouseMove(e->position().toPoint().x(), e->position().toPoint().y());
}

void TAAGraphicControl::contextMenuEvent(QContextMenuEvent* e) {
    if (OnContextPopup) {
        OnContextPopup(e->pos().x(), e->pos().y());
        e->accept();
    } else {
        e->ignore();
    }
}

void TAAGraphicControl::enterEvent(QEnterEvent*) {
    if (OnMouseEnter) OnMouseEnter();
}

void TAAGraphicControl::leaveEvent(QEvent*) {
    if (OnMouseLeave) OnMouseLeave();
}

// --- fade text ----------------------------------------------------------------------------

TAAFadeText::TAAFadeText(QWidget* parent)
    : TAACustomText(parent), fadeTimer_([this] { core_->FadeTimerTick(); }, Qt::PreciseTimer),
      lineTimer_([this] { core_->LineTimerTick(); }) {
    TFadeTextHost& host = *this;
    core_ = std::make_unique<TFadeTextCore>(host, engine_, fonts_, labels_, fadeTimer_, lineTimer_);
    core_->OnComplete = [this] {
        if (OnComplete) OnComplete();
    };
    core_->SetAppTitle(QCoreApplication::applicationName().toStdString());
    core_->SetFont(TQtGlyphSource::FromQFont(font(), kClBlack)); // the control's own font
}

TAAFadeText::~TAAFadeText() {
    fadeTimer_.SetEnabled(false);
    lineTimer_.SetEnabled(false);
    fonts_.SetOnChange(nullptr);
    labels_.SetOnChange(nullptr);
}

void TAAFadeText::SetBackgroundPicture(const QImage& picture) {
    background_ = picture.convertToFormat(QImage::Format_RGB32);
    if (IsLoaded() && Text().Transparent()) update();
}

QImage TAAFadeText::DisplayImage() const {
    return WrapBitmap(core_->Display()).copy();
}

void TAAFadeText::PaintCanvas(QPainter& p) {
    core_->PaintCanvas();
    const QImage img = WrapBitmap(core_->Display());
    // The picture is copied 1:1 at (0, 0); a part of the control it does not cover (only
    // right after a resize) shows the background colour.
    if (img.width() < width() || img.height() < height())
        p.fillRect(rect(), QColor::fromRgb(ColorToPixel(core_->Color() & 0xFFFFFF)));
    if (!img.isNull()) p.drawImage(QPoint(0, 0), img);
    if (OnPainted) OnPainted();
}

void TAAFadeText::LoadedReset() {
    if (ParentColor() && parentWidget())
        core_->SetColor(PixelToColor(parentWidget()->palette().color(backgroundRole()).rgb()));
    core_->LoadedReset();
}

void TAAFadeText::Redraw() {
    core_->Redraw();
}

void TAAFadeText::PaintNow() {
    if (isVisible()) repaint();
}

void TAAFadeText::CopyBackground(Bitmap32& target) {
    if (target.Empty()) return;
    QImage img(reinterpret_cast<uchar*>(target.pixels.data()), target.width, target.height,
               target.width * 4, QImage::Format_RGB32);
    const QPoint origin = pos();
    if (!background_.isNull()) {
        QPainter p(&img);
        p.drawImage(QPoint(0, 0), background_, QRect(origin, size()));
        return;
    }
    QWidget* parent = parentWidget();
    if (!parent || copyingBackground_) return;
    // The parent's own background and painting, then every visible sibling that lies below this
    // control and overlaps it. A failure to paint leaves the fill colour.
    copyingBackground_ = true;
    {
        QPainter p(&img);
        parent->render(&p, QPoint(0, 0), QRegion(QRect(origin, size())),
                       QWidget::DrawWindowBackground);
        for (QObject* child : parent->children()) {
            if (child == this) break;
            auto* sibling = qobject_cast<QWidget*>(child);
            if (!sibling || !sibling->isVisible() || sibling->isWindow()) continue;
            if (!sibling->geometry().intersects(geometry())) continue;
            sibling->render(&p, sibling->pos() - origin, QRegion(),
                            QWidget::DrawWindowBackground | QWidget::DrawChildren);
        }
    }
    copyingBackground_ = false;
}

// --- the bar's date line ------------------------------------------------------------------

void ConfigureDateLine(TAAFadeText& t) {
    t.BeginUpdate();
    t.setGeometry(173, 12, 154, 20);
    t.setCursor(Qt::PointingHandCursor);
    t.SetParentColor(false);

    TAACanvasFont song;
    song.name = "宋体";
    song.height = 12;
    song.color = kClWhite;
    t.Fonts().Clear();
    TFontLabel& cn = t.Fonts().Add("FontCN");
    cn.SetFont(song);
    cn.Effect().Shadow().SetEnabled(true);
    cn.Effect().Shadow().SetOffsetX(1);
    cn.Effect().Shadow().SetOffsetY(1);
    TAACanvasFont underlined = song;
    underlined.underline = true;
    t.Fonts().Add("FontAD").SetFont(underlined);

    t.Labels().Clear();
    t.Labels().Add("Left", TLabelStyle::lsLeftJustify);
    t.Labels().Add("Center", TLabelStyle::lsCenter);
    t.Labels().Add("Right", TLabelStyle::lsRightJustify);
    t.Labels().Add("Owner", TLabelStyle::lsRegOwner);
    t.Labels().Add("Organization", TLabelStyle::lsRegOrganization);
    t.Labels().Add("AppTitle", TLabelStyle::lsAppTitle);
    t.Labels().Add("Date", TLabelStyle::lsDate);
    t.Labels().Add("Time", TLabelStyle::lsTime);

    t.SetActive(false);
    t.Text().SetLineDelay(3500);
    t.Text().Lines().Assign({""});
    t.Text().SetTransparent(true);
    t.Text().SetQuality(TAAQuality::aqNone);
    t.EndUpdate();
    t.Loaded();
}

} // namespace tobu
