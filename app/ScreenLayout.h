#pragma once
// The monitors as the clock's geometry sees them, and the arithmetic over
// them: the defaults, the Geometry page's ranges and where the window shows
// for a stored place. Plain values in and out, so that any arrangement of
// monitors can be tried without having them.
//
// Stored Left and Top are logical coordinates of the whole desktop: on a
// monitor they are its own logical pixels, counted from its top-left corner,
// which has the same coordinates in logical and in device pixels (as Qt puts
// it). From stored to device position the mapping is monotonic along each
// axis: along x over the monitors in the row at Top (those whose rows hold
// it, else the nearest ones), each monitor's logical span maps linearly onto
// its device span, gaps between monitors are bridged by straight lines, and
// beyond the outermost monitors their own scale goes on. So a clock moved
// right never jumps left, across a border of scales as well; along y the
// same over the column at Left.

#include <vector>

#include <QRect>

struct ScreenInfo {
    QRect geometry;  // logical
    QRect available; // logical, without panels
    qreal ratio = 1; // device pixels per logical pixel

    // In device pixels: the same top-left, the size scaled.
    QRect Device() const;
};

struct ScreenLayout {
    std::vector<ScreenInfo> screens; // never empty
    int primary = 0;

    // One screen at the origin without panels, at a ratio of 1.
    static ScreenLayout Single(const QSize& size);
    const ScreenInfo& Primary() const { return screens[std::size_t(primary)]; }
};

namespace layout {

struct Range {
    int min = 0;
    int max = 0;
    int tic = 1;
    int page = 1;
    friend bool operator==(const Range& a, const Range& b)
    {
        return a.min == b.min && a.max == b.max && a.tic == b.tic && a.page == b.page;
    }
};
struct GeometryRanges {
    Range x, y, size;
};

// The Geometry page's sliders: positions over the union of the screens and as
// far again to the left and up, sizes up to the largest screen's shorter
// side; each widened to hold the stored value, which is shown as it is.
GeometryRanges Ranges(const ScreenLayout& layout, int left, int top, int size);

// First-start defaults, on the primary screen's area without panels: the
// shorter side, centred, at its top.
int DefaultSize(const ScreenLayout& layout);
int DefaultLeft(const ScreenLayout& layout, int size);
int DefaultTop(const ScreenLayout& layout);

struct Placement {
    QRect device;   // where the window's device pixels are
    QRect window;   // the logical geometry that puts them there
    int screen = 0; // the screen the window belongs to
    bool rescued = false;
};

// Where the clock shows for a stored place and size. When no pixel of it
// would be on a screen, or it is larger than every screen, it shows instead
// whole on the nearest screen, at most as large as that screen's shorter
// side; a clock partly on a screen stays where it is. Sides are at most
// maxDeviceSide device pixels; the device rectangle stays within
// [-coordRange, coordRange].
Placement Place(const ScreenLayout& layout, int left, int top, int size, int maxDeviceSide, int coordRange);

} // namespace layout
