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
// lines are read up to a fixed length, values are cut, one reading keeps a
// bounded number of entries, and anything but a regular file is never read.

#include <QHash>
#include <QPair>
#include <QString>

#include <optional>
#include <vector>

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
    // disk: how saves reach the disk; null for the real one.
    explicit IniFileStore(const QString& path, DiskWriter* disk = nullptr);
    IniFileStore(const IniFileStore&) = delete;
    IniFileStore& operator=(const IniFileStore&) = delete;

    int GetProfileInt(const QString& section, const QString& key, int def) override;
    QString GetProfileString(const QString& section, const QString& key, const QString& def) override;
    void WriteProfileInt(const QString& section, const QString& key, int value) override;
    void WriteProfileString(const QString& section, const QString& key, const QString& value) override;

    void BeginRead() override;
    void EndRead() override;
    void BeginWrite() override;
    bool Commit() override;

    QString Location() const override { return m_path; }

    // Entries one reading keeps; keys beyond are looked up in the file itself.
    static constexpr qsizetype kMaxCachedEntries = 4096;

private:
    using Id = QPair<QString, QString>; // case-folded section and key

    std::optional<QString> Lookup(const QString& section, const QString& key);
    std::optional<QString> ScanFor(const Id& id) const;
    void FillCache();
    bool WriteFile(std::vector<ini::PendingSection>& pending);

    QString m_path;
    DiskWriter m_realDisk;
    DiskWriter& m_disk;

    bool m_reading = false;
    bool m_cacheFilled = false;
    bool m_cacheOverflow = false;
    QHash<Id, QString> m_cache;

    bool m_writing = false;
    std::vector<ini::PendingSection> m_pending;
};
