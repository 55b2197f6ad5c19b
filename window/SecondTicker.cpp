#include "window/SecondTicker.h"

#include "platform/Clock.h"

SecondTicker::SecondTicker(std::unique_ptr<platform::WakeupSource> source, QObject* parent)
    : QObject(parent)
    , m_pSource(source ? std::move(source) : platform::CreateWakeupSource())
{
}

long long SecondTicker::NextTick(long long nowMs, bool showSeconds)
{
    const long long period = showSeconds ? 1000 : 60000;
    // Floor division: times before the epoch count too.
    long long slot = nowMs - kOffsetMs;
    slot -= ((slot % period) + period) % period;
    return slot + period + kOffsetMs;
}

bool SecondTicker::Shows(std::time_t now, std::time_t last, bool showSeconds)
{
    if (now == last)
        return false;
    // A minute or more apart (a resume from suspend) the hours may differ
    // where the minute on the dial is the same.
    return showSeconds || platform::LocalTime(now).tm_min != platform::LocalTime(last).tm_min || now - last >= 60
           || last - now >= 60;
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
    m_pSource->Cancel();
    return true;
}

void SecondTicker::SetShowSeconds(bool showSeconds)
{
    if (showSeconds == m_bShowSeconds)
        return;
    m_bShowSeconds = showSeconds;
    Realign();
}

void SecondTicker::Realign()
{
    if (IsActive())
        m_pSource->WakeAt(NextTick(platform::Clock().NowMs(), m_bShowSeconds), [this] { OnWake(); });
}

void SecondTicker::OnWake()
{
    // The next deadline first: a tick's drawing may take a while.
    Realign();
    emit tick();
}
