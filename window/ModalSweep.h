#pragma once
// What makes a quit end the program from any state: modal dialogs (the colour
// and font choosers, message boxes) and popups run event loops of their own
// inside the clock's run, and the run cannot end before they do. While this
// object lives, every one of them is closed: those open when it is made, and
// any that opens later while the program winds down.

#include <QObject>
#include <QTimer>

class ModalSweep : public QObject {
    Q_OBJECT
public:
    explicit ModalSweep(QObject* parent = nullptr);

private:
    void Sweep();

    QTimer m_timer;
};
