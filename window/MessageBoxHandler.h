#pragma once
// Shows the program's messages (the AfxMessageBox seam) in a modal box
// captioned with the application name, with one OK button.

#include <QString>

void InstallMessageBoxHandler(const QString& caption);
