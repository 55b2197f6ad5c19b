#include "app/RegistryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

RegistryStore::RegistryStore(const QString& registryKey, const QString& appName, Disk* disk)
    : IniFileStore(PathFor(registryKey, appName), disk)
{
}

QString RegistryStore::PathFor(const QString& registryKey, const QString& appName)
{
    // Where the platform's per-user settings of this maker and application live.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + registryKey + u'/' + appName
           + QStringLiteral(".conf");
}

bool RegistryStore::Commit()
{
    QDir().mkpath(QFileInfo(Location()).absolutePath());
    return IniFileStore::Commit();
}
