#pragma once
// Where the clock's layer surface goes, worked out from the settings and the
// compositor's outputs alone, so that the choices can be checked without a
// compositor: the layer for top-most or not, the output and the margins for a
// place on the desktop, and whether a live surface can follow a change or
// has to be made again.

#include <cstdint>
#include <vector>

#include <QPoint>
#include <QRect>
#include <QSize>

namespace platform::wayland {

// The layer shell's layers, with the protocol's values, lowest first.
enum class Layer : std::uint32_t { Background = 0, Bottom = 1, Top = 2, Overlay = 3 };

// A top-most clock stays over the normal windows (not over full-screen ones,
// as a top-most X11 window does not either); any other clock lies under every
// window but over the wallpaper.
Layer LayerFor(bool topMost);

// An output as the compositor lays out its desktop.
struct OutputGeometry {
    std::uint32_t id = 0; // the output's name in the compositor's registry
    QRect logical;        // in the layout's logical coordinates
    int scale = 1;        // device pixels per logical pixel
};

// An output and the left and top margins of a surface anchored to its top-left
// corner; output is an index into the outputs, -1 when there are none.
struct Placement {
    int output = -1;
    QPoint margins;
    int scale = 1;

    bool operator==(const Placement& o) const { return output == o.output && margins == o.margins && scale == o.scale; }
};

// The output whose logical rectangle holds the clock's top-left corner, with
// the margins that put the corner there. A corner on no output (a layout that
// changed, a place stored on another machine) goes to the first output,
// moved the least that shows the clock there whole, or from its top-left
// corner when the clock is larger than the output.
Placement Place(const std::vector<OutputGeometry>& outputs, const QPoint& topLeft, const QSize& size);

// What a layer surface is, as sent to the compositor or as wanted.
struct SurfaceState {
    std::uint32_t output = 0; // the output's registry name
    Layer layer = Layer::Bottom;
    QPoint margins;
    QSize size;

    bool operator==(const SurfaceState& o) const
    {
        return output == o.output && layer == o.layer && margins == o.margins && size == o.size;
    }
    bool operator!=(const SurfaceState& o) const { return !(*this == o); }
};

// How a live surface follows a wanted state.
enum class Change {
    None,     // it is already so
    Update,   // requests on the live surface and a commit
    Recreate, // a new surface: the output is fixed when a surface is made,
              // and so, in effect, is the layer: set_layer (version 2 on)
              // is accepted but ignored by some compositors (KWin 5.27), and
              // no global tells them apart
};

Change ChangeFor(const SurfaceState& live, const SurfaceState& wanted);

} // namespace platform::wayland
