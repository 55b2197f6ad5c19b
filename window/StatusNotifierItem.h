#pragma once
// The notification-area icon as a StatusNotifierItem on the session bus, for
// the hosts that show items over D-Bus rather than by XEmbed: the icon, the
// tip, clicks, and a menu of one entry (hosts show an item's menu on a right
// click). Registered once with each watcher that appears, so that a host
// that starts late or restarts shows it, and shows it once.

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QTimer>

class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    // The mouse messages clicks stand for, as the tray reports them.
    enum class Click { Left, Right, Middle };

    // Shown from construction to destruction: the watcher forgets the item
    // when its bus connection goes.
    StatusNotifierItem(const QIcon& icon, const QString& tip, const QString& menuEntry, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // The watcher's bus name.
    static const QString& Watcher();

signals:
    void clicked(StatusNotifierItem::Click click);

private:
    void RegisterWithWatcher();
    void Register();

    QDBusConnection m_bus;
    // The unique name of the watcher the item was registered with.
    QString m_strWatcher;
    QTimer m_retry;
    int m_nRetries = 0;
};
