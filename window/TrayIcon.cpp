#include "window/TrayIcon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

#include "platform/X11.h"

namespace {

const QString kTip = QStringLiteral("Vitrodial");

} // namespace

TrayIcon::TrayIcon(const QIcon& icon, QObject* parent) : QObject(parent), m_icon(icon)
{
    auto* watcher = new QDBusServiceWatcher(StatusNotifierItem::Watcher(), QDBusConnection::sessionBus(),
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) { Update(!owner.isEmpty()); });
    if (platform::x11::IsAvailable()) {
        m_pTrayWatch =
            std::make_unique<platform::x11::SelectionWatch>(platform::x11::ScreenSelection("_NET_SYSTEM_TRAY_S"));
        connect(m_pTrayWatch.get(), &platform::x11::SelectionWatch::ownerChanged, this, &TrayIcon::Update,
                Qt::QueuedConnection);
    }
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::WatcherPresent() const
{
    const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(StatusNotifierItem::Watcher());
}

bool TrayIcon::Available() const
{
    // XEmbed trays exist on X11 alone.
    return WatcherPresent() || (m_pTrayWatch && m_pTrayWatch->Owned());
}

long TrayIcon::MouseMessage(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return WM_LBUTTONUP;
    case QSystemTrayIcon::Context:
        return WM_RBUTTONUP;
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONUP;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

void TrayIcon::Update(bool hostCame)
{
    // Qt decides once per process whether its icon speaks XEmbed or D-Bus,
    // so its icon is only made while no watcher is there (XEmbed, then) and
    // the D-Bus item is the program's own.
    const bool sni = m_bAdded && WatcherPresent();
    const bool xembed = m_bAdded && !sni && m_pTrayWatch;
    if (!sni || hostCame)
        m_pItem.reset();
    if (!xembed || hostCame)
        m_pXEmbed.reset();
    if (sni && !m_pItem) {
        m_pItem = std::make_unique<StatusNotifierItem>(m_icon, kTip, QStringLiteral("Vitrodial Configuration"));
        connect(m_pItem.get(), &StatusNotifierItem::clicked, this, [this](StatusNotifierItem::Click click) {
            emit notify(kId, click == StatusNotifierItem::Click::Left    ? WM_LBUTTONUP
                             : click == StatusNotifierItem::Click::Right ? WM_RBUTTONUP
                                                                         : WM_MBUTTONUP);
        });
    }
    if (xembed && !m_pXEmbed) {
        m_pXEmbed = std::make_unique<QSystemTrayIcon>(m_icon);
        m_pXEmbed->setToolTip(kTip);
        connect(m_pXEmbed.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) { emit notify(kId, MouseMessage(reason)); });
        m_pXEmbed->show();
    }
}

bool TrayIcon::Add()
{
    m_bAdded = true;
    Update(false);
    return Available();
}

bool TrayIcon::Remove()
{
    const bool wasAdded = m_bAdded;
    // Destroyed rather than hidden, so that the notification area forgets it.
    m_bAdded = false;
    Update(false);
    return wasAdded;
}
