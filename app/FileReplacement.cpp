#include "app/FileReplacement.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/Disk.h"

namespace {

// What the replacement queues before it writes.
constexpr qsizetype kChunk = 64 * 1024;
// A temporary file modified this recently may belong to a save still running.
constexpr std::time_t kLeftoverAgeSeconds = 60;
// A temporary file is "." + the file's name + this + six letters or digits:
// hidden, and marked as the program's own so that a clean-up never takes a
// file a person named, such as "vitrodial.ini.backup".
constexpr QByteArrayView kTemporaryMark = ".vitrodial-save-";
constexpr int kRandomLength = 6;
constexpr int kCreateAttempts = 100;

bool IsAlphanumeric(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

QByteArray TemporaryName(const QByteArray& fileName)
{
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = '.' + fileName + kTemporaryMark.toByteArray();
    for (int i = 0; i < kRandomLength; ++i)
        name += kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet - 1))];
    return name;
}

} // namespace

FileReplacement::FileReplacement(const QString& path, Disk& disk) : m_path(path), m_disk(disk) {}

FileReplacement::~FileReplacement()
{
    Discard();
    if (m_folder >= 0)
        ::close(m_folder);
}

bool FileReplacement::Fail(const QString& what)
{
    const int error = errno;
    m_ok = false;
    if (m_error.isEmpty())
        m_error = error ? what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error)) : what;
    return false;
}

bool FileReplacement::Open()
{
    const QFileInfo info(m_path);
    m_name = QFile::encodeName(info.fileName());
    // Every name below is taken in this one folder, whatever happens to the
    // path leading to it meanwhile.
    m_folder = ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        return Fail(QStringLiteral("cannot open its folder"));
    struct stat old {};
    const bool exists = ::fstatat(m_folder, m_name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return Fail(QStringLiteral("cannot look at it"));
    const bool replacesFile = exists && S_ISREG(old.st_mode);
    // A new file gets the usual mode less the umask; a replacement starts
    // private and then takes the old file's mode.
    const mode_t mode = replacesFile ? 0600 : 0666;
    errno = 0;
    for (int attempt = 0; m_fd < 0 && attempt < kCreateAttempts; ++attempt) {
        m_tempName = TemporaryName(m_name);
        m_fd = ::openat(m_folder, m_tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_tempName.clear();
        return Fail(QStringLiteral("cannot create a file beside it"));
    }
    m_ok = true;
    if (replacesFile && !KeepOwnerAndMode(old)) {
        Discard();
        return false;
    }
    return true;
}

bool FileReplacement::KeepOwnerAndMode(const struct stat& old)
{
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(m_fd, old.st_uid, old.st_gid) != 0
        && old.st_uid != ::geteuid()) {
        // Saved as this user, the file would no longer be its owner's: the
        // owner's next start could not save to it, or would not use it.
        return Fail(QStringLiteral("it belongs to another user (uid %1), and a new file cannot be given to them")
                        .arg(old.st_uid));
    }
    // (A group this user is no longer in cannot be kept: the file takes the user's own.)
    return ::fchmod(m_fd, old.st_mode & 07777) == 0 || Fail(QStringLiteral("cannot set the mode of its replacement"));
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

void FileReplacement::Cancel(const QString& why)
{
    if (m_error.isEmpty())
        m_error = why;
    m_ok = false;
}

bool FileReplacement::Flush()
{
    for (qsizetype done = 0; m_ok && done < m_buffer.size();) {
        errno = 0;
        const qint64 n = m_disk.Write(m_fd, m_buffer.constData() + done, m_buffer.size() - done);
        if (n <= 0)
            Fail(QStringLiteral("cannot write its replacement"));
        done += n;
    }
    m_buffer.clear();
    return m_ok;
}

bool FileReplacement::Commit()
{
    if (m_ok && Flush()) {
        errno = 0;
        if (!m_disk.Sync(m_fd))
            Fail(QStringLiteral("cannot flush its replacement to disk"));
    }
    if (m_ok) {
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) != 0)
            Fail(QStringLiteral("cannot close its replacement"));
    }
    // rename() takes the place of the name itself: a link there is replaced,
    // not followed.
    if (m_ok && ::renameat(m_folder, m_tempName.constData(), m_folder, m_name.constData()) != 0)
        Fail(QStringLiteral("cannot put the new file in its place"));
    if (!m_ok) {
        Discard();
        return false;
    }
    m_tempName.clear();
    // The new name lasts through a crash too; the file itself already does.
    ::fsync(m_folder);
    return true;
}

void FileReplacement::Discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_tempName.isEmpty())
        ::unlinkat(m_folder, std::exchange(m_tempName, QByteArray()).constData(), 0);
}

bool FileReplacement::IsTemporaryName(QByteArrayView name, QByteArrayView fileName)
{
    const qsizetype prefix = 1 + fileName.size() + kTemporaryMark.size();
    if (name.size() != prefix + kRandomLength || !name.startsWith(".") || !name.sliced(1).startsWith(fileName)
        || !name.sliced(1 + fileName.size()).startsWith(kTemporaryMark))
        return false;
    for (const char c : name.sliced(prefix)) {
        if (!IsAlphanumeric(c))
            return false;
    }
    return true;
}

void FileReplacement::RemoveLeftovers(const QString& path)
{
    const QFileInfo info(path);
    const QByteArray fileName = QFile::encodeName(info.fileName());
    DIR* folder = ::opendir(QFile::encodeName(info.absolutePath()).constData());
    if (!folder)
        return;
    const int fd = ::dirfd(folder);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(folder)) {
        struct stat st {};
        if (IsTemporaryName(static_cast<const char*>(entry->d_name), fileName)
            && ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)
            && st.st_uid == ::geteuid() && now - st.st_mtime >= kLeftoverAgeSeconds)
            ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(folder);
}
