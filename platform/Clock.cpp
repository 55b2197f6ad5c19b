#include "platform/Clock.h"

#include <chrono>
#include <ctime>

#include <QByteArray>
#include <QtGlobal>

namespace platform {
namespace {

class SystemClock final : public IClock {
public:
    std::time_t Now() const override { return std::time(nullptr); }
    long long NowMs() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    }
};

std::shared_ptr<const IClock>& Current()
{
    static std::shared_ptr<const IClock> clock = std::make_shared<SystemClock>();
    return clock;
}

} // namespace

const IClock& Clock() { return *Current(); }

std::shared_ptr<const IClock> SetClock(std::shared_ptr<const IClock> clock)
{
    std::shared_ptr<const IClock> previous = Current();
    Current() = clock ? std::move(clock) : std::make_shared<SystemClock>();
    return previous;
}

std::tm LocalTime(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

void ReloadZone()
{
    // tzset() reads no file when TZ is the text it was, nor when the file
    // stat()s as before (a replacement given the freed inode within one
    // timestamp): gone through a rule that names no file first, it reads
    // the file whatever it looks like.
    const bool set = qEnvironmentVariableIsSet("TZ");
    const QByteArray tz = qgetenv("TZ");
    qputenv("TZ", "UTC0");
    tzset();
    if (set)
        qputenv("TZ", tz);
    else
        qunsetenv("TZ");
    tzset();
}

} // namespace platform
