#pragma once
// The program's command line, read before anything else starts (the
// single-instance channel, the display), and the display the clock needs,
// checked before the application object exists.

#include <optional>

#include <QString>

#include "app/ClockApp.h"

struct CommandLine {
    // The program's file name, as messages name it.
    QString name;
    StartRequest request = StartRequest::Run;
    // Set when the start ends here: 0 after the help or the version, 2 after
    // a bad argument.
    std::optional<int> exitStatus;
};

// The help and the version go to standard output; a bad argument is named
// on standard error, followed by the usage.
CommandLine ParseCommandLine(int argc, char* argv[]);

// Why the display that Qt's platform plugin will open cannot be had, naming
// it; empty when it can, or when the platform is not X11's. Qt aborts the
// process when its platform cannot connect, which no caller can catch.
QString DisplayProblem();
