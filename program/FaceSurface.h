#pragma once
// Where the clock face shows, chosen once at start before the application
// object exists, since Qt's platform follows from it: an X11 window (through
// XWayland on a Wayland desktop without the layer shell), or a layer surface
// of the program's own where the compositor offers one.
// VITRODIAL_SURFACE=x11|wayland asks for either.

#include <QString>

enum class FaceSurface { X11Window, LayerSurface };

struct FaceChoice {
    FaceSurface surface = FaceSurface::X11Window;
    // Why a layer surface that was asked for is not had; empty otherwise.
    QString problem;
};

FaceChoice ChooseFaceSurface();

// Sets Qt's platform for the choice unless QT_QPA_PLATFORM already names
// one: with the face on a layer surface the dialogs go on Qt's Wayland
// platform where it is installed, drawing in shared memory, so that no X
// server is started for a clock whose dialog may never open; else on X11.
void ChooseQtPlatform(FaceSurface surface);
