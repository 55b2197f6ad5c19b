#pragma once
// The clock window's timer: a tick every 500 ms, each falling just after a
// whole second or half second of the wall clock, so that a new second is
// drawn within a few milliseconds of its start rather than up to half a
// second late. It realigns itself when a tick strays from its slot (the
// wall clock is slewed or set, or the machine was busy).

#include <ctime>

#include <QObject>
#include <QTimer>

class SecondTicker : public QObject {
    Q_OBJECT
public:
    static constexpr int kPeriodMs = 500;
    // How long after the whole second a tick falls: enough that a tick that
    // comes a little early still sees the new second.
    static constexpr int kOffsetMs = 15;
    // How late a tick may be before the ticker realigns.
    static constexpr int kToleranceMs = 40;

    explicit SecondTicker(QObject* parent = nullptr);

    // Starts ticking under the identifier (non-zero); returns it, or 0 when
    // no timer could be started.
    unsigned Start(unsigned id);
    // Stops the timer with that identifier; false when no such timer runs.
    bool Stop(unsigned id);
    bool IsActive() const { return m_nId != 0; }

    // Waits for the next slot before ticking again (after a clock change).
    void Realign();

    // Milliseconds from nowMs (since the epoch) to the next slot; 0 on a slot.
    static int DelayToNextSlot(long long nowMs);
    // Milliseconds since the last slot.
    static int Lateness(long long nowMs);

    // Whether a tick at `now` shows something the face drawn for `last` does
    // not: a new second, or only a new minute without the seconds hand.
    static bool Shows(std::time_t now, std::time_t last, bool showSeconds);

signals:
    void tick();

private:
    void OnAligned();
    void OnPeriod();

    unsigned m_nId = 0;
    QTimer m_timerAlign;
    QTimer m_timerPeriod;
};
