#include "window/MessageBoxHandler.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/MessageBox.h"

void InstallMessageBoxHandler(const QString& caption)
{
    platform::SetMessageHandler([caption](const QString& text) {
        // Messages given without an icon of their own get the warning sign.
        QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    });
}
