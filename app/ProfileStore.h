#pragma once
// The four profile operations, addressed by section and key, over one medium:
// the .ini file beside the program or the per-user store.

#include <QString>

#include <vector>

// A setting's place in a store.
struct ProfileKey {
    QString section;
    QString key;
};

class IProfileStore {
public:
    virtual ~IProfileStore() = default;

    virtual int GetProfileInt(const QString& section, const QString& key, int def) = 0;
    virtual QString GetProfileString(const QString& section, const QString& key, const QString& def) = 0;
    virtual void WriteProfileInt(const QString& section, const QString& key, int value) = 0;
    virtual void WriteProfileString(const QString& section, const QString& key, const QString& value) = 0;

    // Reads between BeginRead and EndRead may share one reading of the medium,
    // made for the keys named; other keys can still be read, each on its own.
    virtual void BeginRead(const std::vector<ProfileKey>& keys) { (void)keys; }
    virtual void EndRead() {}
    // Why reading the medium failed, the first time it did; empty while it
    // has not. Reads that failed gave their defaults, so from then on every
    // save is refused: it would put them in place of what the medium holds.
    virtual QString ReadError() const { return QString(); }
    // Takes a failed reading of the same medium by another store as its own.
    virtual void NoteReadError(const QString& why) { (void)why; }
    // Writes between BeginWrite and Commit reach the medium together, in one
    // update that either completes or leaves the old contents intact.
    virtual void BeginWrite() {}
    // False when the writes did not all reach the medium; SaveError() says why.
    virtual bool Commit() { return true; }
    virtual QString SaveError() const { return QString(); }

    // Where the values live, for messages and tests.
    virtual QString Location() const = 0;
};
