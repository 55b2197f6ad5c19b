#pragma once
// The program's message boxes: a fixed text, an OK button, captioned with the
// application name. All of them go through this one seam so that tests can
// observe them instead of having a modal box pop up.

#include <functional>

#include <QString>

namespace platform {

using MessageHandler = std::function<void(const QString& text)>;

// Installs the handler that shows messages; returns the previous one. Without
// one, messages go to standard error.
MessageHandler SetMessageHandler(MessageHandler handler);

} // namespace platform

// Shows text in a message box with an OK button and waits for it to be closed.
void AfxMessageBox(const QString& text);
