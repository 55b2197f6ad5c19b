#include "platform/TimeChangeWatcher.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>

#include <QSocketNotifier>

TimeChangeWatcher::TimeChangeWatcher(QObject* parent)
    : QObject(parent)
    , m_fd(::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC))
{
    if (!m_fd.IsValid())
        return;
    if (!Arm()) {
        m_fd.Reset();
        return;
    }
    m_pNotifier = std::make_unique<QSocketNotifier>(m_fd.Get(), QSocketNotifier::Read);
    connect(m_pNotifier.get(), &QSocketNotifier::activated, this, &TimeChangeWatcher::OnReadable);
}

TimeChangeWatcher::~TimeChangeWatcher() = default;

bool TimeChangeWatcher::Arm()
{
    // An expiry that never comes: only the cancellation is of interest.
    itimerspec expiry{};
    expiry.it_value.tv_sec = std::numeric_limits<time_t>::max();
    return ::timerfd_settime(m_fd.Get(), TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &expiry, nullptr) == 0;
}

void TimeChangeWatcher::OnReadable()
{
    std::uint64_t expirations = 0;
    const ssize_t n = ::read(m_fd.Get(), &expirations, sizeof expirations);
    const bool changed = n < 0 && errno == ECANCELED;
    // A cancelled timer stays cancelled (and readable) until armed again.
    Arm();
    if (changed)
        emit timeChanged();
}
