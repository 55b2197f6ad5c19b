#pragma once
// What wakes the clock: a one-shot deadline on the wall clock. Qt's timers run
// on the monotonic clock, which stands still while the machine sleeps: a wait
// of a minute planned before a suspend would end a minute after the resume.
// The system's source keeps an absolute deadline on the wall clock instead,
// which fires as soon as the machine runs again once it has passed, and when
// a setting of the clock jumps over it.

#include <functional>
#include <memory>

namespace platform {

class WakeupSource {
public:
    virtual ~WakeupSource() = default;
    // Calls wake once when the wall clock reaches wallMs (milliseconds since
    // the epoch), or at once when it has already; replaces any earlier deadline.
    virtual void WakeAt(long long wallMs, std::function<void()> wake) = 0;
    virtual void Cancel() = 0;
};

// The system's source: a timer on the wall clock with an absolute deadline
// (Linux), or, where none can be had, a Qt timer for the time left.
std::unique_ptr<WakeupSource> CreateWakeupSource();

} // namespace platform
