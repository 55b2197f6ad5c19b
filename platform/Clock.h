#pragma once
// The one source of the current time, replaceable so that tests can draw and
// tick at any second they need.

#include <ctime>
#include <memory>

namespace platform {

class IClock {
public:
    virtual ~IClock() = default;
    // Calendar time in whole seconds, as time() gives it.
    virtual std::time_t Now() const = 0;
    // Milliseconds since the epoch; used to align timers to the second.
    virtual long long NowMs() const = 0;
};

// The clock in force; the system clock unless a test installed another.
const IClock& Clock();
// Installs a clock (nullptr restores the system clock); returns the previous one.
std::shared_ptr<const IClock> SetClock(std::shared_ptr<const IClock> clock);

// Local time of t in the process's time zone (TZ applies).
std::tm LocalTime(std::time_t t);
// Makes LocalTime read the zone's file again, after it changed: the C
// library otherwise keeps the zone it read first.
void ReloadZone();

} // namespace platform
