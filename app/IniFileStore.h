#pragma once
// The .ini store: the program's own reader and writer of the profile format
// ("[Section]" lines, "key=value" lines), with section and key names compared
// without regard to case, blanks around names and values ignored and the first
// match winning. Saving replaces only the keys written; every other line and
// comment stays as it was, and the file is replaced as a whole or not at all.
//
// Whatever the file holds, memory and time stay bounded: the file is streamed,
// lines are read up to a fixed length (the rest of a longer line is skipped or
// copied through), values are cut, and one reading keeps a bounded number of
// entries.

#include <QHash>
#include <QPair>
#include <QString>

#include <optional>
#include <vector>

#include "app/ProfileStore.h"

class QByteArray;
class QIODevice;

class IniFileStore : public IProfileStore {
public:
    explicit IniFileStore(const QString& path);

    int GetProfileInt(const QString& section, const QString& key, int def) override;
    QString GetProfileString(const QString& section, const QString& key, const QString& def) override;
    void WriteProfileInt(const QString& section, const QString& key, int value) override;
    void WriteProfileString(const QString& section, const QString& key, const QString& value) override;

    void BeginRead() override;
    void EndRead() override;
    void BeginWrite() override;
    bool Commit() override;

    QString Location() const override { return m_path; }

    // Bytes of a line that are looked at; the rest of a longer line is skipped
    // when reading and copied unchanged when saving.
    static constexpr qsizetype kMaxLineBytes = 4096;
    // Characters of a value that are kept.
    static constexpr qsizetype kMaxValueLength = 1024;
    // Longer section or key names cannot be ours and are passed over.
    static constexpr qsizetype kMaxNameLength = 256;
    // Entries one reading keeps; keys beyond are looked up in the file itself.
    static constexpr qsizetype kMaxCachedEntries = 4096;

protected:
    // Writes bytes of the new file; false when they did not all go. Replaced by
    // tests to stand for a full disk.
    virtual bool WriteOut(QIODevice& out, const QByteArray& bytes);

private:
    using Id = QPair<QString, QString>; // case-folded section and key

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

    std::optional<QString> Lookup(const QString& section, const QString& key);
    std::optional<QString> ScanFor(const Id& id) const;
    void FillCache();
    bool WriteFile(std::vector<PendingSection>& pending);

    QString m_path;

    bool m_reading = false;
    bool m_cacheFilled = false;
    bool m_cacheOverflow = false;
    QHash<Id, QString> m_cache;

    bool m_writing = false;
    std::vector<PendingSection> m_pending;
};
