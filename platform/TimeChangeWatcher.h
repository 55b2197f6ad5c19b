#pragma once
// Reports every setting of the system clock (Linux only): a timer armed against the wall
// clock far in the future, which the kernel cancels whenever the clock is
// set (TFD_TIMER_CANCEL_ON_SET), re-armed after each notice.

#include <memory>

#include <QObject>

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

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};
