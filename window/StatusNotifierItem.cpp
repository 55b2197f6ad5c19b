#include "window/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QImage>
#include <QtEndian>

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
// A registration the watcher refused is made again this often: a watcher
// can take its bus name before it serves its object.
constexpr int kRetryMs = 1000;
constexpr int kRetries = 5;

} // namespace

// The wire types: an icon image, the tip, a menu node, a node's properties.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb; // ARGB32, network byte order
};
struct SniToolTip {
    QString icon;
    QList<SniPixmap> pixmaps;
    QString title;
    QString text;
};
struct SniMenuNode {
    int id = 0;
    QVariantMap properties;
    QList<SniMenuNode> children;
};
struct SniMenuProperties {
    int id = 0;
    QVariantMap properties;
};
struct SniMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
Q_DECLARE_METATYPE(SniMenuEvent)
Q_DECLARE_METATYPE(SniPixmap)
Q_DECLARE_METATYPE(SniToolTip)
Q_DECLARE_METATYPE(SniMenuNode)
Q_DECLARE_METATYPE(SniMenuProperties)

QDBusArgument& operator<<(QDBusArgument& a, const SniPixmap& p)
{
    a.beginStructure();
    a << p.width << p.height << p.argb;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, SniPixmap& p)
{
    a.beginStructure();
    a >> p.width >> p.height >> p.argb;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const SniToolTip& t)
{
    a.beginStructure();
    a << t.icon << t.pixmaps << t.title << t.text;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, SniToolTip& t)
{
    a.beginStructure();
    a >> t.icon >> t.pixmaps >> t.title >> t.text;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const SniMenuNode& n)
{
    a.beginStructure();
    a << n.id << n.properties;
    a.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const SniMenuNode& child : n.children)
        a << QDBusVariant(QVariant::fromValue(child));
    a.endArray();
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, SniMenuNode& n)
{
    // Only ever sent.
    a.beginStructure();
    a >> n.id >> n.properties;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const SniMenuProperties& p)
{
    a.beginStructure();
    a << p.id << p.properties;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, SniMenuProperties& p)
{
    a.beginStructure();
    a >> p.id >> p.properties;
    a.endStructure();
    return a;
}

QDBusArgument& operator<<(QDBusArgument& a, const SniMenuEvent& e)
{
    a.beginStructure();
    a << e.id << e.eventId << e.data << e.timestamp;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, SniMenuEvent& e)
{
    a.beginStructure();
    a >> e.id >> e.eventId >> e.data >> e.timestamp;
    a.endStructure();
    return a;
}

namespace {

QList<SniPixmap> Pixmaps(const QIcon& icon)
{
    QList<SniPixmap> pixmaps;
    for (int size : {16, 22, 32}) {
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        SniPixmap p{image.width(), image.height(), {}};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const quint32 pixel = qToBigEndian(quint32(image.pixel(x, y)));
                p.argb.append(reinterpret_cast<const char*>(&pixel), 4);
            }
        pixmaps << p;
    }
    return pixmaps;
}

} // namespace

// org.kde.StatusNotifierItem on kItemPath.
class SniItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ IconName)
    Q_PROPERTY(QList<SniPixmap> IconPixmap READ IconPixmap)
    Q_PROPERTY(SniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ Menu)
public:
    SniItemAdaptor(QObject* parent, StatusNotifierItem* item, const QIcon& icon, const QString& tip)
        : QDBusAbstractAdaptor(parent)
        , m_pItem(item)
        , m_pixmaps(Pixmaps(icon))
        , m_strTip(tip)
    {
    }
    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const { return QCoreApplication::applicationName(); }
    QString Title() const { return m_strTip; }
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    QString IconName() const { return {}; }
    QList<SniPixmap> IconPixmap() const { return m_pixmaps; }
    SniToolTip ToolTip() const { return {{}, {}, m_strTip, {}}; }
    bool ItemIsMenu() const { return false; }
    QDBusObjectPath Menu() const { return QDBusObjectPath(kMenuPath); }

public slots:
    void Activate(int, int) { emit m_pItem->clicked(StatusNotifierItem::Click::Left); }
    void SecondaryActivate(int, int) { emit m_pItem->clicked(StatusNotifierItem::Click::Middle); }
    // A host that asks the item to show its own menu: the entry's action at once.
    void ContextMenu(int, int) { emit m_pItem->clicked(StatusNotifierItem::Click::Right); }
    void Scroll(int, const QString&) {}

signals:
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem* m_pItem;
    QList<SniPixmap> m_pixmaps;
    QString m_strTip;
};

// com.canonical.dbusmenu on kMenuPath: one entry, which acts as a right click.
class SniMenuAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ Version)
    Q_PROPERTY(QString TextDirection READ TextDirection)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(QStringList IconThemePath READ IconThemePath)
public:
    SniMenuAdaptor(QObject* parent, StatusNotifierItem* item, const QString& entry)
        : QDBusAbstractAdaptor(parent)
        , m_pItem(item)
        , m_strEntry(entry)
    {
    }
    uint Version() const { return 3; }
    QString TextDirection() const { return QStringLiteral("ltr"); }
    QString Status() const { return QStringLiteral("normal"); }
    QStringList IconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int, const QStringList&, SniMenuNode& layout)
    {
        layout = Node(parentId);
        if (parentId == 0)
            layout.children = {Node(1)};
        return 1;
    }
    QList<SniMenuProperties> GetGroupProperties(const QList<int>& ids, const QStringList&)
    {
        QList<SniMenuProperties> result;
        for (int id : ids)
            result << SniMenuProperties{id, Node(id).properties};
        return result;
    }
    QDBusVariant GetProperty(int id, const QString& name) { return QDBusVariant(Node(id).properties.value(name)); }
    void Event(int id, const QString& eventId, const QDBusVariant&, uint)
    {
        if (id == 1 && eventId == QLatin1String("clicked"))
            emit m_pItem->clicked(StatusNotifierItem::Click::Right);
    }
    QList<int> EventGroup(const QList<SniMenuEvent>& events)
    {
        for (const SniMenuEvent& e : events)
            Event(e.id, e.eventId, e.data, e.timestamp);
        return {};
    }
    bool AboutToShow(int) { return false; }
    QList<int> AboutToShowGroup(const QList<int>&, QList<int>& errors)
    {
        errors.clear();
        return {};
    }

signals:
    void ItemsPropertiesUpdated();
    void LayoutUpdated(uint revision, int parent);

private:
    SniMenuNode Node(int id) const
    {
        if (id == 1)
            return {1, {{QStringLiteral("label"), m_strEntry}}, {}};
        return {id, {{QStringLiteral("children-display"), QStringLiteral("submenu")}}, {}};
    }

    StatusNotifierItem* m_pItem;
    QString m_strEntry;
};

StatusNotifierItem::StatusNotifierItem(const QIcon& icon, const QString& tip, const QString& menuEntry, QObject* parent)
    : QObject(parent)
    , m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("vitrodial-tray")))
{
    qDBusRegisterMetaType<SniPixmap>();
    qDBusRegisterMetaType<QList<SniPixmap>>();
    qDBusRegisterMetaType<SniToolTip>();
    qDBusRegisterMetaType<SniMenuNode>();
    qDBusRegisterMetaType<SniMenuProperties>();
    qDBusRegisterMetaType<QList<SniMenuProperties>>();
    qDBusRegisterMetaType<SniMenuEvent>();
    qDBusRegisterMetaType<QList<SniMenuEvent>>();
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &StatusNotifierItem::Register);
    auto* itemObject = new QObject(this);
    new SniItemAdaptor(itemObject, this, icon, tip);
    auto* menuObject = new QObject(this);
    new SniMenuAdaptor(menuObject, this, menuEntry);
    if (!m_bus.registerObject(kItemPath, itemObject, QDBusConnection::ExportAdaptors)
        || !m_bus.registerObject(kMenuPath, menuObject, QDBusConnection::ExportAdaptors))
        return;

    // Each new watcher (a host restarted) gets the item again. A host that
    // comes to a watcher reads its list, so the host's own arrival needs
    // nothing more.
    auto* watcher = new QDBusServiceWatcher(kWatcher, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &StatusNotifierItem::RegisterWithWatcher);
    RegisterWithWatcher();
}

StatusNotifierItem::~StatusNotifierItem()
{
    const QString name = m_bus.name();
    m_bus = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(name);
}

const QString& StatusNotifierItem::Watcher() { return kWatcher; }

void StatusNotifierItem::RegisterWithWatcher()
{
    // Once per watcher: a watcher asked twice as its host comes up can leave
    // the host showing the item twice.
    const QDBusConnectionInterface* bus = m_bus.interface();
    const QString owner = bus ? bus->serviceOwner(kWatcher).value() : QString();
    if (owner.isEmpty() || owner == m_strWatcher)
        return;
    m_strWatcher = owner;
    m_nRetries = 0;
    m_retry.stop();
    Register();
}

void StatusNotifierItem::Register()
{
    // Asked again only once the watcher has refused: a second call while
    // the first is on its way would be a second registration.
    auto* call = new QDBusPendingCallWatcher(
        m_bus.asyncCall(QDBusMessage::createMethodCall(kWatcher, kWatcherPath, kWatcher,
                                                       QStringLiteral("RegisterStatusNotifierItem"))
                        << m_bus.baseService()),
        this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answer) {
        answer->deleteLater();
        if (answer->isError() && ++m_nRetries <= kRetries)
            m_retry.start(kRetryMs);
    });
}

#include "StatusNotifierItem.moc"
