#include "app/magnetic.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace tobu {

namespace {

TMagnetic* g_magnetic = nullptr;

bool MessageCallback(MagneticWindow window, MagneticMessage& message, bool& handled) {
    handled = false;
    if (!g_magnetic) return false;
    g_magnetic->HandleMessage(window, message, handled);
    return true;
}

void Offset(TRect& r, int dx, int dy) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

bool Near(int a, int b, int d) {
    return std::abs(a - b) < d;
}

bool EdgeIsLeft(SizeEdge e) {
    return e == SizeEdge::Left || e == SizeEdge::TopLeft || e == SizeEdge::BottomLeft;
}
bool EdgeIsRight(SizeEdge e) {
    return e == SizeEdge::Right || e == SizeEdge::TopRight || e == SizeEdge::BottomRight;
}
bool EdgeIsTop(SizeEdge e) {
    return e == SizeEdge::Top || e == SizeEdge::TopLeft || e == SizeEdge::TopRight;
}
bool EdgeIsBottom(SizeEdge e) {
    return e == SizeEdge::Bottom || e == SizeEdge::BottomLeft || e == SizeEdge::BottomRight;
}

} // namespace

bool Touching(const TRect& a, const TRect& b) {
    const int uw = std::max(a.right, b.right) - std::min(a.left, b.left);
    const int uh = std::max(a.bottom, b.bottom) - std::min(a.top, b.top);
    if (a.Width() + b.Width() < uw || a.Height() + b.Height() < uh) return false;
    return a.left == b.left || a.left == b.right || a.right == b.left || a.right == b.right ||
           a.top == b.top || a.top == b.bottom || a.bottom == b.top || a.bottom == b.bottom;
}

TMagnetic::TMagnetic(MagneticHost& host) : host_(host) {
    g_magnetic = this;
}

TMagnetic::~TMagnetic() {
    if (g_magnetic == this) g_magnetic = nullptr;
}

TMagnetic* TMagnetic::Instance() {
    return g_magnetic;
}

int TMagnetic::IndexOf(MagneticWindow w) const {
    if (w == kNoMagneticWindow) return 0;
    for (std::size_t i = 1; i < entries_.size(); ++i)
        if (entries_[i].window == w) return static_cast<int>(i);
    return 0;
}

bool TMagnetic::IsAttached(MagneticWindow w) const {
    const int i = IndexOf(w);
    return i > 0 && entries_[static_cast<std::size_t>(i)].attached;
}

MagneticWindow TMagnetic::ParentOf(MagneticWindow w) const {
    const int i = IndexOf(w);
    return i > 0 ? entries_[static_cast<std::size_t>(i)].parent : kNoMagneticWindow;
}

bool TMagnetic::AttachedTo(int i, MagneticWindow parent) const {
    const Entry& e = entries_[static_cast<std::size_t>(i)];
    return e.attached && e.parent == parent;
}

bool TMagnetic::AddWindow(MagneticWindow window, MagneticWindow parent,
                          MagneticCallback& callback) {
    callback = nullptr;
    if (parent == window) parent = kNoMagneticWindow;
    if (IndexOf(window) > 0 || window == kNoMagneticWindow || !host_.IsWindow(window)) return false;
    if (parent != kNoMagneticWindow && !host_.IsWindow(parent)) return false;
    entries_.push_back(Entry{window, parent, false});
    rects_.push_back(host_.WindowRect(window));
    RecomputeAttachments();
    callback = &MessageCallback;
    return true;
}

bool TMagnetic::RemoveWindow(MagneticWindow window) {
    const int i = IndexOf(window);
    if (i == 0) return false;
    entries_.erase(entries_.begin() + i);
    rects_.erase(rects_.begin() + i);
    for (Entry& e : entries_)
        if (e.parent == window) e.parent = kNoMagneticWindow;
    RecomputeAttachments();
    return true;
}

void TMagnetic::HandleMessage(MagneticWindow window, MagneticMessage& message, bool& handled) {
    handled = false;
    switch (message.event) {
    case MagneticEvent::EnterSizeMove: {
        rects_[0] = message.work_area;
        for (std::size_t i = 1; i < entries_.size(); ++i) {
            const MagneticWindow w = entries_[i].window;
            rects_[i] = host_.IsMaximized(w) ? message.work_area : host_.WindowRect(w);
            if (w == window) {
                start_cursor_ = last_cursor_ = message.cursor;
                const TRect now = host_.WindowRect(w);
                grab_dx_ = now.left - message.cursor.x;
                grab_dy_ = now.top - message.cursor.y;
            }
        }
        break;
    }
    case MagneticEvent::Moving: {
        if (IndexOf(window) == 0) break; // no grab recorded for it
        TRect r = message.rect;
        SnapMove(window, r, message.cursor);
        message.rect = r;
        handled = true;
        message.result = 1;
        break;
    }
    case MagneticEvent::Sizing: {
        TRect r = message.rect;
        SnapSize(window, r, message.edge);
        message.rect = r;
        handled = true;
        message.result = 1;
        break;
    }
    case MagneticEvent::ExitSizeMove:
    case MagneticEvent::Command:
        RecomputeAttachments();
        break;
    case MagneticEvent::SysCommand:
        if (message.sys_command != MagneticSysCommand::Other) RecomputeAttachments();
        break;
    case MagneticEvent::PosChanged:
        if (message.shown_or_hidden) RecomputeAttachments();
        break;
    }
}

// Later hits replace earlier ones, both within one candidate and across candidates. Against
// the work area only the inner pairings count (left to left, right to right, ...): pulling a
// window's far edge onto the screen's near edge would put it entirely off the screen.
void TMagnetic::SnapEdges(const TRect& r, const TRect& k, bool inner_only, int& dx, int& dy) const {
    const int d = distance_;
    if (r.top < k.bottom + d && k.top - d < r.bottom) {
        if (Near(r.left, k.left, d)) dx = k.left - r.left;
        if (!inner_only && Near(r.left, k.right, d)) dx = k.right - r.left;
        if (!inner_only && Near(r.right, k.left, d)) dx = k.left - r.right;
        if (Near(r.right, k.right, d)) dx = k.right - r.right;
    }
    if (r.left < k.right + d && k.left - d < r.right) {
        if (Near(r.top, k.top, d)) dy = k.top - r.top;
        if (!inner_only && Near(r.top, k.bottom, d)) dy = k.bottom - r.top;
        if (!inner_only && Near(r.bottom, k.top, d)) dy = k.top - r.bottom;
        if (Near(r.bottom, k.bottom, d)) dy = k.bottom - r.bottom;
    }
}

void TMagnetic::SnapMove(MagneticWindow window, TRect& r, TPoint cursor) {
    const int self = IndexOf(window);
    if (self == 0) return;
    const auto n = entries_.size();

    // The proposal is rebuilt from the cursor, so snapping never accumulates.
    Offset(r, cursor.x + grab_dx_ - r.left, cursor.y + grab_dy_ - r.top);

    int dx = 0, dy = 0;
    SnapEdges(r, rects_[0], true, dx, dy);
    for (std::size_t k = 1; k < n; ++k) {
        if (static_cast<int>(k) == self || AttachedTo(static_cast<int>(k), window)) continue;
        if (!host_.IsVisible(entries_[k].window)) continue;
        SnapEdges(r, rects_[k], false, dx, dy);
    }

    // The docked children snap to the other free windows, not to the work area.
    const int cx = cursor.x - start_cursor_.x, cy = cursor.y - start_cursor_.y;
    for (std::size_t c = 1; c < n; ++c) {
        if (!AttachedTo(static_cast<int>(c), window) || !host_.IsVisible(entries_[c].window))
            continue;
        TRect moved = rects_[c];
        Offset(moved, cx, cy);
        for (std::size_t k = 1; k < n; ++k) {
            if (static_cast<int>(k) == self || entries_[k].attached) continue;
            if (!host_.IsVisible(entries_[k].window)) continue;
            SnapEdges(moved, rects_[k], false, dx, dy);
        }
    }

    Offset(r, dx, dy);

    const TRect& start = rects_[static_cast<std::size_t>(self)];
    const int mx = r.left - start.left, my = r.top - start.top;
    std::vector<std::pair<MagneticWindow, TPoint>> moves;
    for (std::size_t c = 1; c < n; ++c) {
        if (!AttachedTo(static_cast<int>(c), window) || !host_.IsVisible(entries_[c].window))
            continue;
        moves.emplace_back(entries_[c].window, TPoint{rects_[c].left + mx, rects_[c].top + my});
    }
    if (!moves.empty()) host_.MoveWindows(moves);

    last_cursor_ = cursor;
}

void TMagnetic::SnapSize(MagneticWindow window, TRect& r, SizeEdge e) const {
    const int self = IndexOf(window);
    const TRect r0 = r; // the distances are measured from the edges on entry
    const int d = distance_;
    for (std::size_t k = 0; k < entries_.size(); ++k) {
        if (k > 0 && (static_cast<int>(k) == self || !host_.IsVisible(entries_[k].window)))
            continue;
        const TRect& kr = rects_[k];
        const bool inner_only = k == 0; // keep the window on the screen, as when moving
        if (r.top < kr.bottom + d && kr.top - d < r.bottom) {
            if (EdgeIsLeft(e)) {
                if (Near(r0.left, kr.left, d)) r.left = kr.left;
                if (!inner_only && Near(r0.left, kr.right, d)) r.left = kr.right;
            } else if (EdgeIsRight(e)) {
                if (!inner_only && Near(r0.right, kr.left, d)) r.right = kr.left;
                if (Near(r0.right, kr.right, d)) r.right = kr.right;
            }
        }
        if (r.left < kr.right + d && kr.left - d < r.right) {
            if (EdgeIsTop(e)) {
                if (Near(r0.top, kr.top, d)) r.top = kr.top;
                if (!inner_only && Near(r0.top, kr.bottom, d)) r.top = kr.bottom;
            } else if (EdgeIsBottom(e)) {
                if (!inner_only && Near(r0.bottom, kr.top, d)) r.bottom = kr.top;
                if (Near(r0.bottom, kr.bottom, d)) r.bottom = kr.bottom;
            }
        }
    }
}

void TMagnetic::RecomputeAttachments() {
    const auto n = entries_.size();
    for (std::size_t i = 1; i < n; ++i) {
        rects_[i] = host_.WindowRect(entries_[i].window);
        entries_[i].attached = false;
    }
    std::vector<bool> visible(n, false);
    for (std::size_t i = 1; i < n; ++i) visible[i] = host_.IsVisible(entries_[i].window);

    for (std::size_t i = 1; i < n; ++i) {
        Entry& e = entries_[i];
        if (!visible[i] || e.parent == kNoMagneticWindow) continue;
        const int p = IndexOf(e.parent);
        const TRect parent =
            p > 0 ? rects_[static_cast<std::size_t>(p)] : host_.WindowRect(e.parent);
        e.attached = Touching(parent, rects_[i]);
    }

    // Windows docked to a docked sibling are docked too; one pass per window reaches the end
    // of any chain.
    for (std::size_t pass = 1; pass < n; ++pass) {
        for (std::size_t j = 1; j < n; ++j) {
            if (!visible[j] || !entries_[j].attached) continue;
            for (std::size_t k = 1; k < n; ++k) {
                if (k == j || !visible[k] || entries_[k].attached) continue;
                if (entries_[k].parent != entries_[j].parent) continue;
                entries_[k].attached = Touching(rects_[j], rects_[k]);
            }
        }
    }
}

} // namespace tobu
