#include "platform/WaylandShm.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QtGlobal>

#include "platform/WaylandProtocols.h"

namespace platform::wayland {

const wl_buffer_listener ShmBuffer::kListener = {
    [](void* data, wl_buffer*) {
        auto* self = static_cast<ShmBuffer*>(data);
        self->m_bBusy = false;
        if (self->m_released)
            self->m_released();
    },
};

ShmBuffer::ShmBuffer(wl_shm* shm, const QSize& size, std::function<void()> released) : m_released(std::move(released))
{
    if (!shm || size.isEmpty())
        return;
    const qsizetype stride = qsizetype(size.width()) * 4;
    m_nBytes = std::size_t(stride) * std::size_t(size.height());
    if (m_nBytes > std::size_t(INT32_MAX))
        return; // beyond what a pool's size can say
    const int fd = memfd_create("vitrodial-layer", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return;
    // The compositor maps the file as it is: it must not shrink under it.
    if (ftruncate(fd, off_t(m_nBytes)) == 0 && fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_SEAL) == 0) {
        void* data = mmap(nullptr, m_nBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (data != MAP_FAILED) {
            m_pData = data;
            wl_shm_pool* pool = wl_shm_create_pool(shm, fd, std::int32_t(m_nBytes));
            m_buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), std::int32_t(stride),
                                                 WL_SHM_FORMAT_ARGB8888);
            // The buffer keeps the pool's memory.
            wl_shm_pool_destroy(pool);
            wl_buffer_add_listener(m_buffer, &kListener, this);
            m_image = QImage(static_cast<uchar*>(m_pData), size.width(), size.height(), stride,
                             QImage::Format_ARGB32_Premultiplied);
            stale = QRegion(QRect(QPoint(), size));
        }
    }
    close(fd);
}

ShmBuffer::~ShmBuffer()
{
    // Destroying a buffer the compositor still shows is allowed as long as
    // its pixels do not change: the compositor keeps its own mapping.
    if (m_buffer)
        wl_buffer_destroy(m_buffer);
    if (m_pData)
        munmap(m_pData, m_nBytes);
}

} // namespace platform::wayland
