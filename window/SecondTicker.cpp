#include "window/SecondTicker.h"

#include "platform/Clock.h"

SecondTicker::SecondTicker(QObject* parent) : QObject(parent)
{
    m_timerAlign.setSingleShot(true);
    m_timerAlign.setTimerType(Qt::PreciseTimer);
    m_timerPeriod.setInterval(kPeriodMs);
    m_timerPeriod.setTimerType(Qt::PreciseTimer);
    connect(&m_timerAlign, &QTimer::timeout, this, &SecondTicker::OnAligned);
    connect(&m_timerPeriod, &QTimer::timeout, this, &SecondTicker::OnPeriod);
}

int SecondTicker::Lateness(long long nowMs)
{
    const long long phase = (nowMs - kOffsetMs) % kPeriodMs;
    return int(phase < 0 ? phase + kPeriodMs : phase);
}

int SecondTicker::DelayToNextSlot(long long nowMs)
{
    const int late = Lateness(nowMs);
    return late == 0 ? 0 : kPeriodMs - late;
}

bool SecondTicker::Shows(std::time_t now, std::time_t last, bool showSeconds)
{
    if (now == last)
        return false;
    return showSeconds || platform::LocalTime(now).tm_min != platform::LocalTime(last).tm_min;
}

unsigned SecondTicker::Start(unsigned id)
{
    if (id == 0)
        return 0;
    m_nId = id;
    Realign();
    return id;
}

bool SecondTicker::Stop(unsigned id)
{
    if (id == 0 || id != m_nId)
        return false;
    m_nId = 0;
    m_timerAlign.stop();
    m_timerPeriod.stop();
    return true;
}

void SecondTicker::Realign()
{
    if (!IsActive())
        return;
    m_timerPeriod.stop();
    m_timerAlign.start(DelayToNextSlot(platform::Clock().NowMs()));
}

void SecondTicker::OnAligned()
{
    m_timerPeriod.start();
    emit tick();
}

void SecondTicker::OnPeriod()
{
    // A monotonic timer drifts from a slewed wall clock: start over at the
    // next slot rather than let the ticks wander towards the second's end.
    if (Lateness(platform::Clock().NowMs()) > kToleranceMs)
        Realign();
    emit tick();
}
