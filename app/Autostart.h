#pragma once
// Starting the clock at login: the user's own autostart entry for it, which
// the desktop session reads at login. It is the whole record of the choice;
// no setting keeps it.

#include <QString>

class Autostart {
public:
    // $XDG_CONFIG_HOME/autostart/vitrodial.desktop (~/.config when the
    // variable is unset or not absolute).
    static QString Path();
    // Whether the entry exists and is not hidden.
    static bool IsOn();
    // Writes the entry for this program, or hides an existing one (a person's
    // own entry is kept, not deleted); the file is replaced whole or not at
    // all. False, with why as "path: reason", when it could not be.
    static bool SetOn(bool on, QString* why = nullptr);
    // The Exec value that starts the program at path, quoted when needed.
    static QString ExecValue(const QString& path);
};
