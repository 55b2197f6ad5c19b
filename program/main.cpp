// The program's entry: the application object does the rest.

#include <QApplication>

#include "app/ClockApp.h"

int main(int argc, char* argv[])
{
    // Qt's windows (the dialog, message boxes, the tray) run on X11, through
    // XWayland on a Wayland desktop, where the clock places itself on its own
    // connection.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    // Hiding the configuration dialog must not end the program: only the
    // end of the clock window's run does.
    QApplication::setQuitOnLastWindowClosed(false);
    theApp.InitInstance();
    return theApp.ExitInstance();
}
