#pragma once
// Small helpers shared by the settings tests: file contents, and a folder made
// read-only for the current process even when it runs as root.

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// A temporary folder that the unprivileged user may enter and read.
inline void OpenToAll(const QString& dir) { ::chmod(QFile::encodeName(dir).constData(), 0755); }

// While alive, the paths named cannot be written. Root ignores permissions, so
// a root process steps down to the unprivileged user meanwhile (real and
// effective: access() checks with the real user).
class ReadOnlyScope {
public:
    explicit ReadOnlyScope(const QStringList& paths) : m_paths(paths)
    {
        Chmod(0555, 0444);
        if ((m_wasRoot = ::geteuid() == 0))
            m_ok = ::setresuid(65534, 65534, 0) == 0;
    }
    ~ReadOnlyScope()
    {
        if (m_wasRoot && m_ok && ::setresuid(0, 0, 0) != 0)
            std::abort();
        Chmod(0755, 0644);
    }
    // False when a root process could not step down; the test should skip.
    bool Ok() const { return m_ok; }

private:
    void Chmod(mode_t dir, mode_t file)
    {
        for (const QString& p : m_paths)
            ::chmod(QFile::encodeName(p).constData(), QFileInfo(p).isDir() ? dir : file);
    }
    QStringList m_paths;
    bool m_wasRoot = false;
    bool m_ok = true;
};

} // namespace testsupport
