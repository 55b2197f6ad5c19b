#pragma once
// The calls through which a settings store reaches the disk: opening the file
// to read it, and writing and flushing a replacement. Tests put a disk that
// fails at a chosen point in their place.

#include <memory>

#include <QString>

#include "app/IniFormat.h"

class QIODevice;

class Disk {
public:
    virtual ~Disk() = default;
    // Opens the settings file at path as ini::OpenForReading does; why is the
    // reason when it is Unreadable.
    virtual ini::Opened Open(const QString& path, std::unique_ptr<QIODevice>& in, QString* why);
    // Writes at most size bytes to fd; the number written, or -1 with errno set.
    virtual qint64 Write(int fd, const char* data, qint64 size);
    // Makes what was written to fd durable; false, with errno set, when it could not.
    virtual bool Sync(int fd);
};
