#pragma once
// What the configuration dialog and its pages ask of the clock window: a
// redraw, the layering, its place, size and stacking, the tray icon, and the
// end of its run. The clock window implements it; the dialog reaches it
// through theApp.m_pMainWnd and so needs nothing else of the window.

#include "platform/WinTypes.h"

class IClockWindow {
public:
    // The single repaint entry: the whole face for the current time.
    virtual void DrawClock() = 0;
    // Colour key and alpha (0..255) of the window's blending.
    virtual void SetLayeredWindowAttributes(COLORREF crKey, int nAlpha) = 0;
    // Placement, changed without hiding the window; false when it failed.
    virtual bool MoveClock(int x, int y) = 0;
    virtual bool ResizeClock(int size) = 0;
    virtual void SetTopMost(bool topMost) = 0;
    virtual bool AddTrayIcon() = 0;
    virtual bool RemoveTrayIcon() = 0;
    // Ends the window's run, and with it the program.
    virtual void PostQuitMessage() = 0;

protected:
    // Never deleted through this interface: the window's owner deletes it.
    ~IClockWindow() = default;
};
