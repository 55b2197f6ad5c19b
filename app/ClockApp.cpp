#include "app/ClockApp.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include "app/ClockWindow.h"
#include "app/IniFileStore.h"
#include "app/ProfileText.h"
#include "app/RegistryStore.h"
#include "app/SettingsTable.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

CClockApp theApp;

namespace {

const QString kRegistryKey = QStringLiteral("Tessaline");
// The program path buffer of the original platform: paths this long or longer
// (or implausibly short) do not get an .ini file.
constexpr qsizetype kMaxPath = 1000;
constexpr qsizetype kMinPath = 3;
constexpr QSize kFallbackScreen(1280, 1024);

qsizetype FileNameStart(const QString& path) { return qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1; }

// The program's path with its extension replaced by ".ini", or with ".ini"
// appended when the file name has none. A dot in a folder name, or one that
// starts the file name, is not an extension.
QString IniPathFor(const QString& modulePath)
{
    const qsizetype dot = modulePath.lastIndexOf(u'.');
    if (dot > FileNameStart(modulePath))
        return modulePath.left(dot) + QStringLiteral(".ini");
    return modulePath + QStringLiteral(".ini");
}

// Why the settings file cannot be written where it is, found without
// creating anything; empty when it can. An existing file must be writable,
// and its folder too, because the file is replaced by a new one written
// beside it.
QString IniFileProblem(const QString& iniPath)
{
    const QFileInfo file(iniPath);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("the folder does not exist");
    if (!folder.isWritable() || !folder.isExecutable())
        return QStringLiteral("the folder is not writable");
    if (file.exists() && !file.isFile())
        return QStringLiteral("something other than a file has this name");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("the file is not writable");
    return QString();
}

} // namespace

CClockApp::CClockApp() = default;
CClockApp::~CClockApp() = default;
CClockApp& CClockApp::operator=(CClockApp&&) = default;

void CClockApp::ResetForTests() { *this = CClockApp(); }

QString CClockApp::ModulePath() const
{
    if (!m_strModulePath.isEmpty())
        return m_strModulePath;
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QString();
}

QString CClockApp::AppName() const
{
    const QString path = ModulePath();
    QString name = path.mid(FileNameStart(path));
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0)
        name.truncate(dot);
    return name.isEmpty() ? QStringLiteral("vitrodial") : name;
}

ScreenLayout CClockApp::Screens() const
{
    if (m_screens)
        return *m_screens;
    ScreenLayout layout;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QScreen* primary = QGuiApplication::primaryScreen();
        for (const QScreen* screen : QGuiApplication::screens()) {
            if (screen == primary)
                layout.primary = int(layout.screens.size());
            layout.screens.push_back({screen->geometry(), screen->availableGeometry(), screen->devicePixelRatio()});
        }
    }
    return layout.screens.empty() ? ScreenLayout::Single(kFallbackScreen) : layout;
}

void CClockApp::WatchScreens(QObject* context, const std::function<void()>& changed)
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    // Queued: a screen that goes is still listed while it is being removed.
    const auto follow = [context, changed](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, context, changed, Qt::QueuedConnection);
        QObject::connect(screen, &QScreen::availableGeometryChanged, context, changed, Qt::QueuedConnection);
    };
    for (QScreen* screen : QGuiApplication::screens())
        follow(screen);
    QObject::connect(
        app, &QGuiApplication::screenAdded, context,
        [follow, changed](QScreen* screen) {
            follow(screen);
            changed();
        },
        Qt::QueuedConnection);
    QObject::connect(app, &QGuiApplication::screenRemoved, context, changed, Qt::QueuedConnection);
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, context, changed, Qt::QueuedConnection);
}

void CClockApp::SetRegistryKey(const QString& key)
{
    m_strRegistryKey = key;
    m_strProfileName = AppName();
    m_pStore.reset();
}

IProfileStore& CClockApp::Store()
{
    if (!m_pStore) {
        if (!m_strRegistryKey.isEmpty())
            m_pStore = std::make_unique<RegistryStore>(m_strRegistryKey, m_strProfileName, m_pDisk);
        else
            m_pStore = std::make_unique<IniFileStore>(m_strProfileName, m_pDisk);
        const auto unread = m_unread.constFind(m_pStore->Location());
        if (unread != m_unread.constEnd())
            m_pStore->NoteReadError(*unread);
    }
    return *m_pStore;
}

void CClockApp::CheckRead(IProfileStore& store)
{
    const QString why = store.ReadError();
    if (why.isEmpty() || m_unread.contains(store.Location()))
        return;
    m_unread.insert(store.Location(), why);
    AfxMessageBox(QStringLiteral("Error: Unable to read settings\n%1: %2\nThe clock runs on the defaults and does not "
                                 "save over this file until it is started again.")
                      .arg(store.Location(), why));
}

void CClockApp::UseIniFileAt(const QString& iniPath)
{
    m_strRegistryKey.clear();
    m_strProfileName = iniPath;
    m_pStore.reset();
}

bool CClockApp::UseIniFile(QString* pWhy)
{
    m_strRegistryKey.clear();
    m_pStore.reset();

    const QString path = ModulePath();
    const QString iniPath = IniPathFor(path);
    const qsizetype n = QFile::encodeName(path).size();
    QString problem;
    if (n <= kMinPath)
        problem = QStringLiteral("the program's path is too short");
    else if (n >= kMaxPath)
        problem = QStringLiteral("the program's path is too long (%1 bytes at most)").arg(kMaxPath - 1);
    else
        problem = IniFileProblem(iniPath);
    if (!problem.isEmpty()) {
        if (pWhy)
            *pWhy = iniPath + QStringLiteral(": ") + problem;
        SetRegistryKey(kRegistryKey);
        m_bIniFile = 0;
        m_bModified = 1;
        return false;
    }
    m_strProfileName = iniPath;
    return true;
}

bool CClockApp::UseRegistry()
{
    if (m_strRegistryKey.isEmpty())
        SetRegistryKey(kRegistryKey);
    else if (m_strRegistryKey != kRegistryKey)
        AfxMessageBox(QStringLiteral("Error: Bad Registry Key found!!!\n"));
    return true;
}

void CClockApp::ChooseStoreAndLoad()
{
    SetRegistryKey(kRegistryKey);
    m_bIniFile = Store().GetProfileInt(QStringLiteral("Misc"), QStringLiteral("IniFile"), 1);
    CheckRead(Store());
    if (m_bIniFile)
        UseIniFile();
    LoadSettings();
    if (m_bIniFile == 0)
        UseRegistry();
}

void CClockApp::LoadSettings()
{
    using namespace settings;
    IProfileStore& store = Store();
    const ScreenLayout screens = Screens();

    const auto defaultOf = [&](const Setting& s, IntMember member) -> int {
        switch (s.rule) {
        case DefaultRule::Fixed:
            break;
        case DefaultRule::ScreenSide:
            return layout::DefaultSize(screens);
        case DefaultRule::CentredLeft:
            return layout::DefaultLeft(screens, m_nSize);
        case DefaultRule::ScreenTop:
            return layout::DefaultTop(screens);
        case DefaultRule::Current:
            return this->*member;
        }
        return int(s.def);
    };
    const auto load = [&](const Setting& s) {
        const QString section = QString::fromLatin1(s.section);
        const QString key = QString::fromLatin1(s.key);
        if (const auto* m = std::get_if<IntMember>(&s.member)) {
            this->*(*m) = store.GetProfileInt(section, key, defaultOf(s, *m));
        } else if (const auto* c = std::get_if<ColorMember>(&s.member)) {
            const QString text = store.GetProfileString(section, key, profile::FormatColor(COLORREF(s.def)));
            // A text that does not convert leaves the member as it was.
            if (const std::optional<COLORREF> color = profile::ParseColor(text))
                this->*(*c) = *color;
        } else if (const auto* t = std::get_if<TextMember>(&s.member)) {
            this->*(*t) = store.GetProfileString(section, key, QString::fromLatin1(s.defText));
        }
    };

    std::vector<ProfileKey> keys;
    for (const Setting& s : kSettings)
        keys.push_back({QString::fromLatin1(s.section), QString::fromLatin1(s.key)});
    store.BeginRead(keys);
    for (int i : {kTop, kSize, kLeft})
        load(kSettings[i]);
    for (std::size_t i = kFirstAfterGeometry; i < kSettings.size(); ++i)
        load(kSettings[i]);
    store.EndRead();
    CheckRead(store);

    for (const Setting& s : kSettings) {
        switch (s.check) {
        case LoadCheck::None:
            break;
        case LoadCheck::ColorOrWhite:
        case LoadCheck::ColorOrRed: {
            COLORREF& color = this->*std::get<ColorMember>(s.member);
            if (color > 0xFFFFFFu)
                color = s.check == LoadCheck::ColorOrWhite ? RGB(255, 255, 255) : RGB(255, 0, 0);
            break;
        }
        case LoadCheck::Width: {
            int& width = this->*std::get<IntMember>(s.member);
            if (width < 0 || width > kMaxWidth)
                width = kBadWidthReplacement;
            break;
        }
        case LoadCheck::FaceName: {
            QString& face = this->*std::get<TextMember>(s.member);
            face = platform::CutText(face, kMaxFaceNameLength);
            break;
        }
        }
    }
}

bool CClockApp::SettingsChanged(ClockEffect effect)
{
    m_bModified = 1;
    IClockWindow* clock = m_pMainWnd;
    if (!clock)
        return true;
    switch (effect) {
    case ClockEffect::None:
        break;
    case ClockEffect::Redraw:
        clock->DrawClock();
        break;
    case ClockEffect::Layering:
        clock->SetLayeredWindowAttributes(m_crClear, m_nOpacity & 0xFF);
        break;
    case ClockEffect::Place:
        return clock->MoveClock(m_nLeft, m_nTop);
    case ClockEffect::Size:
        return clock->ResizeClock(m_nSize);
    case ClockEffect::TopMost:
        clock->SetTopMost(m_bTopMost != 0);
        break;
    case ClockEffect::TrayIcon:
        return m_bTrayIcon ? clock->AddTrayIcon() : clock->RemoveTrayIcon();
    }
    return true;
}

void CClockApp::SaveSettings()
{
    using namespace settings;
    if (m_bModified != 1)
        return;

    IProfileStore& store = Store();
    store.BeginWrite();
    for (const Setting& s : kSettings) {
        const QString section = QString::fromLatin1(s.section);
        const QString key = QString::fromLatin1(s.key);
        if (const auto* m = std::get_if<IntMember>(&s.member))
            store.WriteProfileInt(section, key, this->*(*m));
        else if (const auto* c = std::get_if<ColorMember>(&s.member))
            store.WriteProfileString(section, key, profile::FormatColor(this->*(*c)));
        else if (const auto* t = std::get_if<TextMember>(&s.member))
            store.WriteProfileString(section, key, this->*(*t));
    }
    if (store.Commit())
        m_bModified = 0;
    else
        AfxMessageBox(
            QStringLiteral("Error: Unable to save settings\n%1: %2").arg(store.Location(), store.SaveError()));
}
