// Magnetic windows: while a registered window is dragged or resized, its edges snap to the
// edges of the screen's work area and of the other registered windows, and the windows docked
// against it (the companion windows under the bar) move along with it.
//
// The bar creates one TMagnetic at start-up, sets the distance to 15, registers itself without
// a parent and each companion window with the bar as parent. The windows feed their move and
// size events through the callback handed out at registration. All window-system questions go
// through MagneticHost, so the logic runs on plain rectangles.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "base/bitmap.h"

namespace tobu {

// A top-level window as the window system knows it; 0 is "no window".
using MagneticWindow = std::uintptr_t;
constexpr MagneticWindow kNoMagneticWindow = 0;

// What the snapping needs from the window system. Rectangles are frame rectangles in global
// screen coordinates, right and bottom exclusive.
class MagneticHost {
public:
    virtual ~MagneticHost() = default;
    // Whether the handle names an existing top-level window.
    virtual bool IsWindow(MagneticWindow w) const = 0;
    virtual bool IsVisible(MagneticWindow w) const = 0;
    virtual bool IsMaximized(MagneticWindow w) const = 0;
    virtual TRect WindowRect(MagneticWindow w) const = 0;
    // Moves all the windows in one batch to the given top-left corners, keeping their sizes
    // and stacking order and without activating them.
    virtual void MoveWindows(const std::vector<std::pair<MagneticWindow, TPoint>>& moves) = 0;
};

// The events a magnetic window passes on, in the order the window system delivers them.
enum class MagneticEvent {
    EnterSizeMove, // a move or resize starts (left press on a draggable part)
    Moving,        // each mouse move of a drag: `rect` is the proposed rectangle
    Sizing,        // each mouse move of a resize: `rect` and `edge`
    ExitSizeMove,  // the move or resize ends
    Command,       // a menu command was run
    SysCommand,    // a window-menu command (`sys_command`)
    PosChanged,    // the window's position, size or visibility changed
};

enum class MagneticSysCommand { Minimize, Restore, Other };

enum class SizeEdge { Left, Right, Top, TopLeft, TopRight, Bottom, BottomLeft, BottomRight };

struct MagneticMessage {
    MagneticEvent event = MagneticEvent::Command;
    // Moving, Sizing: the proposed rectangle in, the snapped rectangle out when handled.
    TRect rect;
    SizeEdge edge = SizeEdge::Right; // Sizing
    // EnterSizeMove, Moving: the cursor position in screen coordinates.
    TPoint cursor;
    // EnterSizeMove: the work area of the screen the window is on when the move starts.
    TRect work_area;
    MagneticSysCommand sys_command = MagneticSysCommand::Other; // SysCommand
    bool shown_or_hidden = false;                               // PosChanged
    int result = 0; // 1 when Moving or Sizing was handled
};

// Handed out by AddWindow. Returns false when no TMagnetic exists any more; otherwise passes
// the message on and returns true. `handled` tells whether the window's own handling of a
// Moving or Sizing event is replaced by the snapped rectangle in the message.
using MagneticCallback = bool (*)(MagneticWindow window, MagneticMessage& message, bool& handled);

// Whether two rectangles lie against each other: no gap on either axis and at least one pair
// of edges equal.
bool Touching(const TRect& a, const TRect& b);

class TMagnetic {
public:
    static constexpr int kDefaultDistance = 10;

    // The newest TMagnetic becomes the one the callbacks reach.
    explicit TMagnetic(MagneticHost& host);
    ~TMagnetic();
    TMagnetic(const TMagnetic&) = delete;
    TMagnetic& operator=(const TMagnetic&) = delete;

    // The object the callbacks reach, or null.
    static TMagnetic* Instance();

    int Distance() const { return distance_; }
    void SetDistance(int d) { distance_ = d; }

    // Registers a window; a parent equal to the window itself means no parent. Refused (false,
    // callback null) for a window already registered, a handle that is not a window, or a
    // parent that is not a window.
    bool AddWindow(MagneticWindow window, MagneticWindow parent, MagneticCallback& callback);
    // Unregisters a window; windows that had it as parent lose their parent. False when it was
    // not registered.
    bool RemoveWindow(MagneticWindow window);

    void HandleMessage(MagneticWindow window, MagneticMessage& message, bool& handled);

    // The drag step: `r` is rebuilt from the cursor and snapped; docked children are moved.
    void SnapMove(MagneticWindow window, TRect& r, TPoint cursor);
    // The resize step: the dragged edge `e` of `r` snaps.
    void SnapSize(MagneticWindow window, TRect& r, SizeEdge e) const;
    // Takes every window's current rectangle and works out which ones are docked.
    void RecomputeAttachments();

    int Count() const { return static_cast<int>(entries_.size()) - 1; }
    // Entry queries for the windows and the tests; false / none for an unregistered window.
    bool IsRegistered(MagneticWindow w) const { return IndexOf(w) > 0; }
    bool IsAttached(MagneticWindow w) const;
    MagneticWindow ParentOf(MagneticWindow w) const;

private:
    struct Entry {
        MagneticWindow window = kNoMagneticWindow;
        MagneticWindow parent = kNoMagneticWindow;
        bool attached = false;
    };

    int IndexOf(MagneticWindow w) const;
    bool AttachedTo(int i, MagneticWindow parent) const;
    // The edge tests of one candidate; `inner_only` keeps to the pairings that keep a window
    // on the screen (work area).
    void SnapEdges(const TRect& r, const TRect& k, bool inner_only, int& dx, int& dy) const;

    MagneticHost& host_;
    int distance_ = kDefaultDistance;
    std::vector<Entry> entries_{Entry{}}; // slot 0 holds no window
    std::vector<TRect> rects_{TRect{}};   // 0: the work area; i: entry i's snapshot
    TPoint start_cursor_;
    TPoint last_cursor_;
    int grab_dx_ = 0, grab_dy_ = 0;
};

} // namespace tobu
