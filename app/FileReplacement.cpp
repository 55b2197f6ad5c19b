#include "app/FileReplacement.h"

#include <QFileInfo>

#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the replacement queues before it writes.
constexpr qsizetype kChunk = 64 * 1024;
// A temporary file modified this recently may belong to a save still running.
constexpr std::time_t kLeftoverAgeSeconds = 60;

// The temporary files of a replacement are named after the file, a dot and
// six letters or digits.
bool IsLeftoverName(QByteArrayView name, QByteArrayView prefix)
{
    if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
        return false;
    for (const char c : name.sliced(prefix.size())) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

} // namespace

qint64 DiskWriter::Write(QFileDevice& file, const char* data, qint64 size)
{
    // Flushed at once: an error that stayed in the stream's buffer would
    // surface only when it is too late to keep the old file.
    const qint64 n = file.write(data, size);
    return n >= 0 && file.flush() ? n : -1;
}

bool DiskWriter::Sync(QFileDevice& file) { return file.flush() && ::fsync(file.handle()) == 0; }

FileReplacement::FileReplacement(const QString& path, DiskWriter& disk) : m_file(path), m_disk(disk) {}

bool FileReplacement::Open()
{
    m_ok = m_file.open(QIODevice::WriteOnly);
    return m_ok;
}

bool FileReplacement::Write(QByteArrayView bytes)
{
    if (!m_ok)
        return false;
    m_buffer.append(bytes);
    if (m_buffer.size() >= kChunk)
        Flush();
    return m_ok;
}

bool FileReplacement::Flush()
{
    for (qsizetype done = 0; m_ok && done < m_buffer.size();) {
        const qint64 n = m_disk.Write(m_file, m_buffer.constData() + done, m_buffer.size() - done);
        m_ok = n > 0;
        done += n;
    }
    m_buffer.clear();
    return m_ok;
}

bool FileReplacement::Commit()
{
    if (!Flush() || !m_disk.Sync(m_file)) {
        m_ok = false;
        if (m_file.isOpen())
            m_file.cancelWriting(); // the temporary file goes, the old file stays
        return false;
    }
    return m_file.commit();
}

void FileReplacement::RemoveLeftovers(const QString& path)
{
    const QFileInfo info(path);
    const QByteArray prefix = QFile::encodeName(info.fileName()) + '.';
    DIR* folder = ::opendir(QFile::encodeName(info.absolutePath()).constData());
    if (!folder)
        return;
    const int fd = ::dirfd(folder);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(folder)) {
        struct stat st {};
        if (IsLeftoverName(static_cast<const char*>(entry->d_name), prefix)
            && ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)
            && st.st_uid == ::geteuid() && now - st.st_mtime >= kLeftoverAgeSeconds)
            ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(folder);
}
