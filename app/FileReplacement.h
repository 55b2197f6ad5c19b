#pragma once
// A file replaced as a whole or not at all: the new contents go to a temporary
// file beside it, every write and the flush to disk are checked, and only then
// does the new file take the old one's place. On any failure the old file stays
// as it was and the temporary file goes.
//
// The replacement takes the place of the name itself: a symbolic link there is
// replaced, never written through. It keeps the owner, group and mode of the
// file it replaces; a file of another user that this process cannot give back
// to that user is not replaced at all.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class Disk;
struct stat;

class FileReplacement {
public:
    FileReplacement(const QString& path, Disk& disk);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Makes the temporary file; false, with Error() set, when it cannot be had
    // or could not take the replaced file's owner.
    bool Open();
    // False once anything written so far has failed.
    bool Write(QByteArrayView bytes);
    // Gives up: Commit will leave the old file as it is.
    void Cancel(const QString& why);
    // Puts the new file in place; false, with the old file untouched, when
    // any write, the flush or the replacement failed.
    bool Commit();
    // Why the replacement failed; empty while it has not.
    const QString& Error() const { return m_error; }

    // Whether name is that of a temporary file of a replacement of fileName:
    // a dot-file no person would name so.
    static bool IsTemporaryName(QByteArrayView name, QByteArrayView fileName);
    // Removes the temporary files that interrupted replacements of path left
    // beside it: only names of their pattern, only regular files of this user
    // (links are not followed), and only ones no save can still be writing.
    static void RemoveLeftovers(const QString& path);

private:
    bool Fail(const QString& what);
    bool Flush();
    bool KeepOwnerAndMode(const struct stat& old);
    void Discard();

    QString m_path;
    QByteArray m_name;
    QByteArray m_tempName;
    int m_folder = -1;
    int m_fd = -1;
    Disk& m_disk;
    QByteArray m_buffer;
    bool m_ok = false;
    QString m_error;
};
