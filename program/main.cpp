// The program's entry: the command line, the display, then the application
// object does the rest.

#include <cstdio>
#include <malloc.h>
#include <memory>

#include <QApplication>
#include <QCoreApplication>
#include <QPixmapCache>
#include <QTimer>

#include "app/ClockApp.h"
#include "program/CommandLine.h"
#include "program/FaceSurface.h"

int main(int argc, char* argv[])
{
    // Before any thread starts: the threads Qt starts (the X event reader,
    // D-Bus) allocate little, and an arena of their own each would keep its
    // pages besides the main one's.
    mallopt(M_ARENA_MAX, 1);
    // Before anything else: help, the version and a bad option end the start
    // without touching a running clock.
    const CommandLine line = ParseCommandLine(argc, argv);
    if (line.exitStatus)
        return *line.exitStatus;

    // A start asked only to quit shows nothing and needs no display: it
    // closes the clock from a terminal without one too.
    std::unique_ptr<QCoreApplication> app;
    if (line.request == StartRequest::Quit) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        ChooseQtPlatform(ChooseFaceSurface().surface);
        const QString problem = DisplayProblem();
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "%s: %s; no clock is shown\n", qPrintable(line.name), qPrintable(problem));
            return 1;
        }
        app = std::make_unique<QApplication>(argc, argv);
        // Hiding the configuration dialog must not end the program: only the
        // end of the clock window's run does.
        QApplication::setQuitOnLastWindowClosed(false);
        // Widgets are drawn only while the dialog is open: the cache would
        // hold little but the tray icon's scaled pixmap, and wake the clock
        // half a minute later to age it out.
        QPixmapCache::setCacheLimit(0);
    }
    // Once the clock runs, the pages its start-up freed between what it
    // keeps (font set-up, the first frame) go back to the system.
    QTimer::singleShot(0, [] { malloc_trim(0); });
    theApp.InitInstance(line.request);
    return theApp.ExitInstance();
}
