#pragma once
// The clock window's timer: one wakeup just after each whole second while the
// seconds hand shows, else just after each whole minute, placed on the wall
// clock so that a new second is drawn within a few milliseconds of its start
// and an idle clock wakes no more often than its picture can change. The
// deadlines are absolute times of the wall clock (see WakeupSource): after a
// suspend or a setting of the clock the right time shows at once.

#include <ctime>
#include <memory>

#include <QObject>

#include "platform/WakeupSource.h"

class SecondTicker : public QObject {
    Q_OBJECT
public:
    // How long after the whole second a tick falls: enough that a tick that
    // comes a little early still sees the new second.
    static constexpr int kOffsetMs = 15;

    // source: what wakes the ticker; null for the system's.
    explicit SecondTicker(std::unique_ptr<platform::WakeupSource> source = nullptr, QObject* parent = nullptr);

    // Starts ticking under the identifier (non-zero); returns it, or 0 when
    // no timer could be started.
    unsigned Start(unsigned id);
    // Stops the timer with that identifier; false when no such timer runs.
    bool Stop(unsigned id);
    bool IsActive() const { return m_nId != 0; }

    // Ticks every second while the seconds hand shows, else every minute.
    void SetShowSeconds(bool showSeconds);
    // Plans the next tick afresh from the wall clock (after a clock change).
    void Realign();

    // The wall-clock time (ms since the epoch) of the first tick after nowMs.
    static long long NextTick(long long nowMs, bool showSeconds);

    // Whether a tick at `now` shows something the face drawn for `last` does
    // not: a new second, or only a new minute without the seconds hand (or
    // any time a minute or more away).
    static bool Shows(std::time_t now, std::time_t last, bool showSeconds);

signals:
    void tick();

private:
    void OnWake();

    unsigned m_nId = 0;
    bool m_bShowSeconds = true;
    std::unique_ptr<platform::WakeupSource> m_pSource;
};
