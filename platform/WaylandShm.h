#pragma once
// A buffer of premultiplied ARGB pixels in memory shared with the compositor
// (an anonymous memory file, mapped once): the client draws into it as a
// QImage and the compositor reads it while it shows the buffer.

#include <functional>

#include <QImage>
#include <QRegion>
#include <QSize>

struct wl_buffer;
struct wl_buffer_listener;
struct wl_shm;

namespace platform::wayland {

class ShmBuffer {
public:
    // A buffer of `size` device pixels; !Valid() when the memory or the
    // buffer could not be had. `released` runs when the compositor gives the
    // buffer back.
    ShmBuffer(wl_shm* shm, const QSize& size, std::function<void()> released);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    bool Valid() const { return m_buffer != nullptr; }
    wl_buffer* Handle() const { return m_buffer; }
    QSize Size() const { return m_image.size(); }
    // The pixels, in place: ARGB32 premultiplied, which on a little-endian
    // machine is the compositor's ARGB8888.
    QImage& Image() { return m_image; }
    const QImage& Image() const { return m_image; }

    // Attached and committed: the compositor may read it until it releases it,
    // and nothing may draw into it meanwhile.
    bool Busy() const { return m_bBusy; }
    void SetBusy() { m_bBusy = true; }

    // The area where the buffer differs from the latest frame.
    QRegion stale;

private:
    static const wl_buffer_listener kListener;

    wl_buffer* m_buffer = nullptr;
    void* m_pData = nullptr;
    std::size_t m_nBytes = 0;
    QImage m_image;
    bool m_bBusy = false;
    std::function<void()> m_released;
};

} // namespace platform::wayland
