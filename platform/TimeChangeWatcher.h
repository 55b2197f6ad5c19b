#pragma once
// Reports every setting of the system clock (Linux only): a timer armed against the wall
// clock far in the future, which the kernel cancels whenever the clock is
// set (TFD_TIMER_CANCEL_ON_SET), re-armed after each notice.

#include <memory>

#include <QObject>

#include "platform/UniqueFd.h"

class QSocketNotifier;

class TimeChangeWatcher : public QObject {
    Q_OBJECT
public:
    explicit TimeChangeWatcher(QObject* parent = nullptr);
    ~TimeChangeWatcher() override;

signals:
    void timeChanged();

private:
    bool Arm();
    void OnReadable();

    platform::UniqueFd m_fd;
    // Declared after the timer: it lets go of the descriptor before it closes.
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};
