#pragma once
// A file descriptor that closes with its owner. It has one owner at a time and
// is handed on by moving, so that no path out of a function leaks one and none
// is closed twice.

#include <unistd.h>

#include <utility>

namespace platform {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { Reset(); }

    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return m_fd; }
    bool IsValid() const { return m_fd >= 0; }

    // Gives the descriptor up, open, to the caller.
    int Release() { return std::exchange(m_fd, -1); }
    // Closes the one held, unless it is fd, and holds fd.
    void Reset(int fd = -1)
    {
        const int old = std::exchange(m_fd, fd);
        if (old >= 0 && old != fd)
            ::close(old);
    }

private:
    int m_fd = -1;
};

} // namespace platform
