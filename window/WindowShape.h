#pragma once
// The clock window's shape: the window region (what SetWindowRgn sets and
// GetWindowRgn reads back; empty means none), and, when no compositing
// manager blends the clear colour away, the visible pixels it is cut down to.

#include <optional>

#include <QRegion>

class QWidget;

class WindowShape {
public:
    explicit WindowShape(QWidget* window);

    const QRegion& WindowRgn() const { return m_rgnWindow; }
    // The region in the window's coordinates, and the same region drawn for
    // the window's device pixels (the same region at a device pixel ratio of 1).
    void SetWindowRgn(const QRegion& rgn, const QRegion& devicePixels);
    const QRegion& WindowRgnDevice() const { return m_rgnWindowDevice; }
    // How often the window region was set; the equality test exists to keep
    // this low.
    int WindowRgnSets() const { return m_nWindowRgnSets; }

    // Shows only these device pixels of the window region (nullopt: all of
    // them).
    void SetVisiblePixels(std::optional<QRegion> pixels);

    // Gives a new native window of the same widget the shape the old one had.
    void Reapply();

private:
    void Apply();

    QWidget* m_pWindow;
    QRegion m_rgnWindow;
    QRegion m_rgnWindowDevice;
    std::optional<QRegion> m_rgnVisible;
    // The shape the window system has: in device pixels when the ratio is not
    // 1 on X11 (set natively, exact), else in the window's coordinates.
    QRegion m_rgnApplied;
    int m_nWindowRgnSets = 0;
    bool m_bNative = false;
    bool m_bStale = false; // the window system's shape is not m_rgnApplied
};
