#include "platform/WakeupSource.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include <QSocketNotifier>
#include <QTimer>

#include "platform/Clock.h"
#include "platform/UniqueFd.h"

namespace platform {
namespace {

class WallClockTimer : public WakeupSource {
public:
    explicit WallClockTimer(UniqueFd fd) : m_fd(std::move(fd)), m_notifier(m_fd.Get(), QSocketNotifier::Read)
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] { OnReadable(); });
    }

    void WakeAt(long long wallMs, std::function<void()> wake) override
    {
        m_wake = std::move(wake);
        itimerspec deadline{};
        // A zero value would disarm: the epoch itself stands for "now".
        deadline.it_value.tv_sec = time_t(std::max(wallMs, 1LL) / 1000);
        deadline.it_value.tv_nsec = long(std::max(wallMs, 1LL) % 1000 * 1000000);
        ::timerfd_settime(m_fd.Get(), TFD_TIMER_ABSTIME, &deadline, nullptr);
    }

    void Cancel() override
    {
        const itimerspec none{};
        ::timerfd_settime(m_fd.Get(), 0, &none, nullptr);
        m_wake = nullptr;
    }

private:
    void OnReadable()
    {
        std::uint64_t expirations = 0;
        if (::read(m_fd.Get(), &expirations, sizeof expirations) != sizeof expirations)
            return;
        if (auto wake = std::exchange(m_wake, nullptr))
            wake();
    }

    UniqueFd m_fd;
    QSocketNotifier m_notifier;
    std::function<void()> m_wake;
};

// Without a wall-clock timer: the time left, on Qt's clock.
class QtTimer : public WakeupSource {
public:
    QtTimer()
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto wake = std::exchange(m_wake, nullptr))
                wake();
        });
    }
    void WakeAt(long long wallMs, std::function<void()> wake) override
    {
        m_wake = std::move(wake);
        m_timer.start(int(std::clamp(wallMs - Clock().NowMs(), 0LL, 24LL * 3600 * 1000)));
    }
    void Cancel() override
    {
        m_timer.stop();
        m_wake = nullptr;
    }

private:
    QTimer m_timer;
    std::function<void()> m_wake;
};

} // namespace

std::unique_ptr<WakeupSource> CreateWakeupSource()
{
    UniqueFd fd(::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC));
    if (!fd.IsValid())
        return std::make_unique<QtTimer>();
    return std::make_unique<WallClockTimer>(std::move(fd));
}

} // namespace platform
