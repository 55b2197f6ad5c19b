#include "window/TrayIcon.h"

TrayIcon::TrayIcon(const QIcon& icon, QObject* parent)
    : QObject(parent)
    , m_icon(icon)
{
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

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

bool TrayIcon::Add()
{
    if (!m_pIcon) {
        m_pIcon = std::make_unique<QSystemTrayIcon>(m_icon);
        m_pIcon->setToolTip(QStringLiteral("Vitrodial"));
        connect(m_pIcon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { emit notify(kId, MouseMessage(reason)); });
    }
    m_pIcon->show();
    return Available();
}

bool TrayIcon::Remove()
{
    const bool wasAdded = IsAdded();
    // Destroyed rather than hidden, so that the notification area forgets it.
    m_pIcon.reset();
    return wasAdded;
}

bool TrayIcon::IsAdded() const { return m_pIcon && m_pIcon->isVisible(); }
