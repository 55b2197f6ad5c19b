#include "app/RegistryStore.h"

#include <QVariant>

#include "app/IniFileStore.h"
#include "app/ProfileText.h"

RegistryStore::RegistryStore(const QString& registryKey, const QString& appName)
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, registryKey, appName)
{
}

QString RegistryStore::Path(const QString& section, const QString& key)
{
    return section + u'/' + key;
}

int RegistryStore::GetProfileInt(const QString& section, const QString& key, int def)
{
    const QVariant value = m_settings.value(Path(section, key));
    if (!value.isValid())
        return def;
    // The file-backed native format hands integers back as text; read every
    // form the same way the .ini store does.
    return profile::ParseInt(value.toString(), def);
}

QString RegistryStore::GetProfileString(const QString& section, const QString& key, const QString& def)
{
    const QVariant value = m_settings.value(Path(section, key));
    if (!value.isValid())
        return def;
    QString text = value.toString();
    if (text.size() > IniFileStore::kMaxValueLength)
        text.truncate(IniFileStore::kMaxValueLength);
    return text;
}

void RegistryStore::WriteProfileInt(const QString& section, const QString& key, int value)
{
    m_settings.setValue(Path(section, key), value);
    Written();
}

void RegistryStore::WriteProfileString(const QString& section, const QString& key, const QString& value)
{
    m_settings.setValue(Path(section, key), value);
    Written();
}

void RegistryStore::BeginWrite()
{
    m_writing = true;
}

bool RegistryStore::Commit()
{
    m_writing = false;
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}

void RegistryStore::Written()
{
    if (!m_writing)
        m_settings.sync();
}
