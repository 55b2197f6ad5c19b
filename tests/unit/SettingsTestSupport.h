#pragma once
// Small helpers shared by the settings tests: file contents, and a folder made
// read-only for the current process even when it runs as root.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QStringList Listing(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// While alive, the folders and files named cannot be written. Root ignores
// permissions, so a root process steps down to the unprivileged user meanwhile
// (which must then be able to read what the test reads).
class ReadOnlyScope {
public:
    explicit ReadOnlyScope(const QStringList& paths) : m_paths(paths)
    {
        for (const QString& p : m_paths)
            ::chmod(QFile::encodeName(p).constData(), QFileInfo(p).isDir() ? 0555 : 0444);
        if (::geteuid() == 0) {
            m_wasRoot = true;
            // Real and effective: access() checks with the real user.
            m_ok = ::setresuid(kNobody, kNobody, 0) == 0;
        }
    }
    ~ReadOnlyScope()
    {
        if (m_wasRoot && m_ok && ::setresuid(0, 0, 0) != 0)
            std::abort();
        for (const QString& p : m_paths)
            ::chmod(QFile::encodeName(p).constData(), QFileInfo(p).isDir() ? 0755 : 0644);
    }
    ReadOnlyScope(const ReadOnlyScope&) = delete;
    ReadOnlyScope& operator=(const ReadOnlyScope&) = delete;

    // False when a root process could not step down; the test should skip.
    bool Ok() const { return m_ok; }

private:
    static constexpr uid_t kNobody = 65534;
    QStringList m_paths;
    bool m_wasRoot = false;
    bool m_ok = true;
};

// A temporary folder that the unprivileged user may enter and read.
inline void OpenToAll(const QString& dir)
{
    ::chmod(QFile::encodeName(dir).constData(), 0755);
}

} // namespace testsupport
