#pragma once
// The .ini store: the program's own reader and writer of the profile format
// ("[Section]" lines, "key=value" lines), with section and key names compared
// without regard to case, blanks around names and values ignored, one pair of
// double quotes around a value dropped and the first match winning. Saving
// replaces only the keys written; every other line and comment stays as it
// was, in the file's own encoding and line ends, and the file is replaced as a
// whole or not at all.
//
// Whatever the file holds, memory and time stay bounded: the file is streamed,
// lines are read up to a fixed length, values are cut, one reading keeps only
// the keys it was asked for, and anything but a regular file is never read.
//
// A file that could not be read whole is never written over by this store:
// its settings would be replaced by the defaults read in their place.

#include <QHash>
#include <QPair>
#include <QString>

#include <optional>
#include <vector>

#include "app/Disk.h"
#include "app/FileReplacement.h"
#include "app/ProfileStore.h"

namespace ini {

// Keys waiting for the next save, grouped by section, in the order written.
struct PendingKey {
    QString key;
    QString folded;
    QString value;
    bool done = false;
};
struct PendingSection {
    QString name;
    QString folded;
    std::vector<PendingKey> keys;
    bool seen = false;

    PendingKey* Find(const QString& foldedKey);
    bool HasUndone() const;
};

} // namespace ini

class IniFileStore : public IProfileStore {
public:
    // disk: how the store reaches the disk; null for the real one.
    explicit IniFileStore(const QString& path, Disk* disk = nullptr);
    IniFileStore(const IniFileStore&) = delete;
    IniFileStore& operator=(const IniFileStore&) = delete;

    int GetProfileInt(const QString& section, const QString& key, int def) override;
    QString GetProfileString(const QString& section, const QString& key, const QString& def) override;
    void WriteProfileInt(const QString& section, const QString& key, int value) override;
    void WriteProfileString(const QString& section, const QString& key, const QString& value) override;

    // One pass over the file finds every key named, however long the file.
    void BeginRead(const std::vector<ProfileKey>& keys) override;
    void EndRead() override;
    QString ReadError() const override { return m_readError; }
    void NoteReadError(const QString& why) override;
    void BeginWrite() override;
    bool Commit() override;
    QString SaveError() const override { return m_saveError; }

    QString Location() const override { return m_path; }

private:
    using Id = QPair<QString, QString>; // case-folded section and key

    std::optional<QString> Lookup(const QString& section, const QString& key);
    // Calls visit(sectionFolded, keyFolded, value) for the entries of the
    // file in order until it returns false; a file that fails to read is
    // noted in ReadError().
    template <typename Visit> void Scan(Visit&& visit);
    void FillCache();
    bool WriteFile(std::vector<ini::PendingSection>& pending);

    QString m_path;
    Disk m_realDisk;
    Disk& m_disk;
    QString m_readError;
    QString m_saveError;

    bool m_reading = false;
    bool m_cacheFilled = false;
    // The keys of the reading under way, with what the file holds for them.
    QHash<Id, std::optional<QString>> m_cache;

    bool m_writing = false;
    std::vector<ini::PendingSection> m_pending;
};
