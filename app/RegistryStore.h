#pragma once
// The per-user store: the file <config home>/<maker's key>/<application
// name>.conf (config home is $XDG_CONFIG_HOME, or ~/.config), one section per
// group, integers as decimal text, texts as they are. It is read and written
// by the same code as the .ini file, so it has the same bounds and the same
// checked, all-or-nothing saves; no other file is ever consulted.

#include <QString>

#include "app/IniFileStore.h"

class RegistryStore : public IniFileStore {
public:
    RegistryStore(const QString& registryKey, const QString& appName, Disk* disk = nullptr);

    // Creates the store's folder before the first save.
    bool Commit() override;

    static QString PathFor(const QString& registryKey, const QString& appName);
};
