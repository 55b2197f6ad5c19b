#pragma once
// A file replaced as a whole or not at all: the new contents go to a temporary
// file beside it, every write and the flush to disk are checked, and only then
// does the new file take the old one's place. On any failure the old file stays
// as it was and the temporary file goes.

#include <QByteArray>
#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

// The two calls through which a replacement reaches the disk; tests put a
// failing disk in its place.
class DiskWriter {
public:
    virtual ~DiskWriter() = default;
    // Writes at most size bytes; the number written, or -1.
    virtual qint64 Write(QFileDevice& file, const char* data, qint64 size);
    // Makes what was written durable; false when it could not.
    virtual bool Sync(QFileDevice& file);
};

class FileReplacement {
public:
    FileReplacement(const QString& path, DiskWriter& disk);

    bool Open();
    // False once anything written so far has failed.
    bool Write(QByteArrayView bytes);
    // Gives up: Commit will leave the old file as it is.
    void Cancel() { m_ok = false; }
    // Puts the new file in place; false, with the old file untouched, when
    // any write, the flush or the replacement failed.
    bool Commit();

    // Removes the temporary files that interrupted replacements of path left
    // beside it: only names of their pattern, only regular files of this user
    // (links are not followed), and only ones no save can still be writing.
    static void RemoveLeftovers(const QString& path);

private:
    bool Flush();

    QSaveFile m_file;
    DiskWriter& m_disk;
    QByteArray m_buffer;
    bool m_ok = false;
};
