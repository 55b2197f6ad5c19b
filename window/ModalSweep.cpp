#include "window/ModalSweep.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

namespace {

// Often enough that a dialog opening during the wind-down is gone at once,
// rarely enough that a window refusing to close costs nothing.
constexpr int kSweepMs = 20;

} // namespace

ModalSweep::ModalSweep(QObject* parent) : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &ModalSweep::Sweep);
    m_timer.start(kSweepMs);
    Sweep();
}

void ModalSweep::Sweep()
{
    // A popup closed may uncover the one it came from.
    for (QWidget* popup = QApplication::activePopupWidget(); popup;) {
        popup->close();
        QWidget* next = QApplication::activePopupWidget();
        popup = next == popup ? nullptr : next;
    }
    // Rejected as Cancel or Escape would: the code that opened a dialog sees
    // it declined and changes nothing.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QPointer<QWidget> window : windows) {
        if (!window || !window->isVisible() || !window->isModal())
            continue;
        if (auto* dialog = qobject_cast<QDialog*>(window.data()))
            dialog->reject();
        else
            window->close();
    }
}
