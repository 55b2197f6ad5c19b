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
    void SetWindowRgn(const QRegion& rgn);
    // How often the window region was set; the equality test exists to keep
    // this low.
    int WindowRgnSets() const { return m_nWindowRgnSets; }

    // Shows only these pixels of the window region (nullopt: all of them).
    void SetVisiblePixels(std::optional<QRegion> pixels);

    // The shape the window system has.
    const QRegion& Applied() const { return m_rgnApplied; }

private:
    void Apply();

    QWidget* m_pWindow;
    QRegion m_rgnWindow;
    std::optional<QRegion> m_rgnVisible;
    QRegion m_rgnApplied;
    int m_nWindowRgnSets = 0;
};
