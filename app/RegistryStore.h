#pragma once
// The per-user store: QSettings in the platform's native format under the
// maker's key and the application name (a file under ~/.config on Linux, the
// registry on Windows). One group per section; integers as integers, texts as
// texts.

#include <QSettings>
#include <QString>

#include "app/ProfileStore.h"

class RegistryStore : public IProfileStore {
public:
    RegistryStore(const QString& registryKey, const QString& appName);

    int GetProfileInt(const QString& section, const QString& key, int def) override;
    QString GetProfileString(const QString& section, const QString& key, const QString& def) override;
    void WriteProfileInt(const QString& section, const QString& key, int value) override;
    void WriteProfileString(const QString& section, const QString& key, const QString& value) override;

    void BeginWrite() override;
    bool Commit() override;

    QString Location() const override { return m_settings.fileName(); }

private:
    static QString Path(const QString& section, const QString& key);
    void Written();

    QSettings m_settings;
    bool m_writing = false;
};
