#include "app/qt/form_shadow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

#include "app/qt/my_window.h"

namespace tobu {

namespace {

std::optional<bool>& Forced() {
    static std::optional<bool> forced;
    return forced;
}

bool X11CompositorRunning() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return false;
    xcb_connection_t* c = x11->connection();
    int screen = 0;
    if (const char* d = std::getenv("DISPLAY")) {
        std::string s(d);
        auto dot = s.rfind('.');
        auto colon = s.rfind(':');
        if (dot != std::string::npos && colon != std::string::npos && dot > colon)
            screen = std::atoi(s.c_str() + dot + 1);
    }
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
    if (!atom) return false;
    const xcb_atom_t a = atom->atom;
    std::free(atom);
    if (a == XCB_ATOM_NONE) return false; // nobody ever claimed it
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, a), nullptr);
    if (!owner) return false;
    const bool running = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return running;
}

} // namespace

bool TFormShadow::CompositingActive() {
    if (Forced()) return *Forced();
    return X11CompositorRunning();
}

void TFormShadow::ForceCompositing(std::optional<bool> value) {
    Forced() = value;
}

TFormShadow::TFormShadow(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                         Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
}

TFormShadow::~TFormShadow() {
    Attach(nullptr);
}

std::optional<TColor> TFormShadow::FormKey() const {
    if (!form_) return std::nullopt;
    QVariant v = form_->property("transparentColor");
    if (!v.isValid()) return std::nullopt;
    bool ok = false;
    uint c = v.toUInt(&ok);
    if (!ok) return std::nullopt;
    return static_cast<TColor>(c);
}

void TFormShadow::Attach(QWidget* form) {
    if (form == form_) return;
    if (form_) form_->removeEventFilter(this);
    form_ = form;
    if (!form_) {
        hide();
        return;
    }
    form_->installEventFilter(this);
    tracker_.Attached(FormKey());
    Replace();
}

void TFormShadow::SetShadowVisible(bool visible) {
    if (tracker_.SetVisible(visible)) Replace();
}

void TFormShadow::RefreshShadow() {
    tracker_.MarkDirty();
    Replace();
}

bool TFormShadow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::WindowStateChange:
            Replace();
            break;
        case QEvent::Hide:
            hide();
            was_shown_ = false;
            break;
        default:
            break;
        }
    }
    return false; // the form handles every event as before
}

void TFormShadow::Redraw() {
    if (!form_) return;
    ShadowForm f;
    f.width = form_->width();
    f.height = form_->height();
    Bitmap8 region;
    const QRegion mask = form_->mask();
    if (!mask.isEmpty() && mask.rectCount() > 1) {
        region = Bitmap8(f.width, f.height, 0);
        for (const QRect& r : mask)
            for (int y = std::max(r.top(), 0); y <= std::min(r.bottom(), f.height - 1); ++y)
                for (int x = std::max(r.left(), 0); x <= std::min(r.right(), f.width - 1); ++x)
                    region.At(x, y) = 1;
        f.region = &region;
    }
    Bitmap32 client;
    f.transparent_color = FormKey();
    if (f.transparent_color) {
        client = FromQImage(form_->grab().toImage());
        f.client = &client;
    }
    const double opacity = form_->windowOpacity();
    f.alpha_blend = opacity < 1.0;
    f.alpha = static_cast<std::uint8_t>(std::lround(opacity * 255));
    ShadowPicture s = DrawShadowPicture(f);
    picture_ = QImage(s.picture.width, s.picture.height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < s.picture.height; ++y)
        std::copy(s.picture.Row(y), s.picture.Row(y) + s.picture.width,
                  reinterpret_cast<QRgb*>(picture_.scanLine(y)));
    setWindowOpacity(s.constant_alpha / 255.0);
    ++redraws_;
    update();
}

void TFormShadow::Replace() {
    if (!form_) return;
    const Qt::WindowStates st = form_->windowState();
    const bool maximised = st & (Qt::WindowMaximized | Qt::WindowFullScreen);
    const bool normal = !(st & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    const QRect g = form_->geometry();
    ShadowTracker::Placement p =
        tracker_.PositionChanged(g.x(), g.y(), g.width(), g.height(), normal, maximised, FormKey());
    const bool show_now = p.show && form_->isVisible() && CompositingActive();
    // The picture is drawn when the shadow can show: without a compositing manager (or while
    // the form is hidden) it waits, which spares grabbing the form and blurring its outline.
    if (p.redraw) {
        if (show_now)
            Redraw();
        else
            tracker_.MarkDirty();
    }
    setGeometry(p.pos.x, p.pos.y, p.width, p.height);
    if (show_now) {
        if (!isVisible() || !was_shown_) {
            show();
            // Keep the shadow just behind its form.
            raise();
            form_->raise();
            was_shown_ = true;
        }
    } else {
        hide();
        was_shown_ = false;
    }
}

void TFormShadow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, picture_);
}

} // namespace tobu
