// Window snapping for the program's own top-level widgets: the window-system side of
// TMagnetic. A registered window's drag (its WindowMover) and its show, hide, minimise and
// restore reach TMagnetic::HandleMessage through the callback handed out at registration;
// a destroyed window unregisters itself.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <vector>

#include "app/magnetic.h"

class QWidget;

namespace tobu {

class WindowMover;

TRect ToTRect(const QRect& r);
QRect ToQRect(const TRect& r);

class TMagneticWindows : public QObject, public MagneticHost {
    Q_OBJECT
public:
    explicit TMagneticWindows(QObject* parent = nullptr);
    ~TMagneticWindows() override;

    TMagnetic& Magnetic() { return magnetic_; }
    static MagneticWindow Handle(const QWidget* window);

    // Registers a top-level window, with `parent` (null: none) as the window it docks to,
    // and routes its drag and visibility changes into the snapping. The mover's three
    // callbacks belong to the snapping from then on. False when the snapping refuses the
    // window (already registered, or the parent is not registered); the window then still
    // works, it only does not snap or follow.
    bool Attach(QWidget* window, QWidget* parent, WindowMover* mover);
    // Unregisters the window and stops the routing; false when it was not registered.
    bool Detach(QWidget* window);
    // Re-registers `top` after its native window was re-created: its docked windows and then
    // the window itself are removed, `recreate` runs, then `top` is added again without a
    // parent and the docked windows with `top` as their parent.
    void ReRegister(QWidget* top, const std::function<void()>& recreate);
    // Minimise and restore as the window system would report them.
    void SysCommand(QWidget* window, MagneticSysCommand command);

    // MagneticHost
    bool IsWindow(MagneticWindow w) const override;
    bool IsVisible(MagneticWindow w) const override;
    bool IsMaximized(MagneticWindow w) const override;
    TRect WindowRect(MagneticWindow w) const override;
    void MoveWindows(const std::vector<std::pair<MagneticWindow, TPoint>>& moves) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Known {
        QWidget* widget = nullptr;
        QWidget* parent = nullptr;
        QPointer<WindowMover> mover;
        MagneticCallback callback = nullptr;
    };
    Known* Find(const QWidget* w);
    const Known* Find(MagneticWindow w) const;
    void Send(QWidget* window, MagneticMessage& message, bool& handled);
    void Forget(QObject* widget);
    bool Register(Known& k);

    std::vector<Known> known_;
    TMagnetic magnetic_{*this};
};

} // namespace tobu
