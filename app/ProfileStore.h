#pragma once
// The four profile operations, addressed by section and key, over one medium:
// the .ini file beside the program or the per-user store.

#include <QString>

class IProfileStore {
public:
    virtual ~IProfileStore() = default;

    virtual int GetProfileInt(const QString& section, const QString& key, int def) = 0;
    virtual QString GetProfileString(const QString& section, const QString& key, const QString& def) = 0;
    virtual void WriteProfileInt(const QString& section, const QString& key, int value) = 0;
    virtual void WriteProfileString(const QString& section, const QString& key, const QString& value) = 0;

    // Reads between BeginRead and EndRead may share one reading of the medium.
    virtual void BeginRead() {}
    virtual void EndRead() {}
    // Writes between BeginWrite and Commit reach the medium together, in one
    // update that either completes or leaves the old contents intact.
    virtual void BeginWrite() {}
    // False when the writes did not all reach the medium.
    virtual bool Commit() { return true; }

    // Where the values live, for messages and tests.
    virtual QString Location() const = 0;
};
