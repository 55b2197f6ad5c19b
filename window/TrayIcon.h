#pragma once
// The notification-area icon: the program icon with the tip "Vitrodial",
// identifier 1. Each click is reported as the identifier and the button
// message it stands for, as the shell's callback message carries them.

#include <memory>

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

// The callback message and the mouse messages it carries.
constexpr unsigned WM_APP = 0x8000;
constexpr unsigned WM_TRAYNOTIFY = WM_APP + 10;
constexpr long WM_LBUTTONUP = 0x0202;
constexpr long WM_LBUTTONDBLCLK = 0x0203;
constexpr long WM_RBUTTONUP = 0x0205;
constexpr long WM_MBUTTONUP = 0x0208;

class TrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr unsigned kId = 1;

    explicit TrayIcon(const QIcon& icon, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows the icon; it appears in a notification area that starts later.
    // False when no notification area is there yet.
    bool Add();
    bool Remove();
    bool IsAdded() const;

    // A notification area exists on the desktop now.
    static bool Available();
    // The button message a click stands for; 0 for none.
    static long MouseMessage(QSystemTrayIcon::ActivationReason reason);

signals:
    // wParam: the identifier, lParam: the mouse message.
    void notify(unsigned long wParam, long lParam);

private:
    QIcon m_icon;
    std::unique_ptr<QSystemTrayIcon> m_pIcon;
};
