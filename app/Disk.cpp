#include "app/Disk.h"

#include <QFile>

#include <cerrno>

#include <unistd.h>

ini::Opened Disk::Open(const QString& path, std::unique_ptr<QIODevice>& in, QString* why)
{
    auto file = std::make_unique<QFile>();
    const ini::Opened opened = ini::OpenForReading(path, *file, why);
    if (opened == ini::Opened::Yes)
        in = std::move(file);
    return opened;
}

qint64 Disk::Write(int fd, const char* data, qint64 size)
{
    for (;;) {
        const ssize_t n = ::write(fd, data, std::size_t(size));
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

bool Disk::Sync(int fd) { return ::fsync(fd) == 0; }
