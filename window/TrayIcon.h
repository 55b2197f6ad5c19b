#pragma once
// The notification-area icon: the program icon with the tip "Vitrodial",
// identifier 1. Each click is reported as the identifier and the button
// message it stands for, as the shell's callback message carries them. It
// follows the hosts of the desktop: a StatusNotifierItem while a watcher is on
// the session bus, else an XEmbed icon while a tray owns its selection; it is
// shown again whenever a host starts or restarts.

#include <memory>

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

#include "window/StatusNotifierItem.h"

// The callback message and the mouse messages it carries.
constexpr unsigned WM_APP = 0x8000;
constexpr unsigned WM_TRAYNOTIFY = WM_APP + 10;
constexpr long WM_LBUTTONUP = 0x0202;
constexpr long WM_LBUTTONDBLCLK = 0x0203;
constexpr long WM_RBUTTONUP = 0x0205;
constexpr long WM_MBUTTONUP = 0x0208;

namespace platform::x11 {
class SelectionWatch;
}

class TrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr unsigned kId = 1;

    explicit TrayIcon(const QIcon& icon, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows the icon, now or in a notification area that starts later. False
    // when no notification area is there yet.
    bool Add();
    bool Remove();
    bool IsAdded() const { return m_bAdded; }
    // Where the icon shows, when the tray says (null otherwise).
    QRect Geometry() const { return m_bAdded && m_pXEmbed ? m_pXEmbed->geometry() : QRect(); }

    // A notification area of either kind exists on the desktop now.
    bool Available() const;
    // The button message a click stands for; 0 for none.
    static long MouseMessage(QSystemTrayIcon::ActivationReason reason);

signals:
    // wParam: the identifier, lParam: the mouse message.
    void notify(unsigned long wParam, long lParam);

private:
    bool WatcherPresent() const;
    // Makes the icon of the host there is now, afresh when a host came.
    void Update(bool hostCame);

    QIcon m_icon;
    bool m_bAdded = false;
    std::unique_ptr<QSystemTrayIcon> m_pXEmbed;
    std::unique_ptr<StatusNotifierItem> m_pItem;
    std::unique_ptr<platform::x11::SelectionWatch> m_pTrayWatch;
};
