#include "DesktopHarness.h"

#include <cmath>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

namespace e2e {

namespace {

QString FromEnv(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

QString Hex(quint64 window) { return QStringLiteral("0x%1").arg(window, 0, 16); }

// "0x40001f" or "4194335" as xdotool and xwininfo print them.
quint64 ParseId(const QString& text)
{
    bool ok = false;
    const quint64 id = text.startsWith(QLatin1String("0x")) ? text.mid(2).toULongLong(&ok, 16)
                                                            : text.toULongLong(&ok, 10);
    return ok ? id : 0;
}

}  // namespace

bool WaitFor(const std::function<bool()>& cond, int timeoutMs, int stepMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (cond())
            return true;
        if (timer.elapsed() >= timeoutMs)
            return cond();
        QTest::qWait(stepMs);
    }
}

QString ProgramPath() { return FromEnv("VITRODIAL_PROGRAM", QStringLiteral(VITRODIAL_PROGRAM)); }

QString DesktopScript()
{
    return FromEnv("VITRODIAL_VIRTUAL_DESKTOP",
                   QStringLiteral(VITRODIAL_SOURCE_DIR "/scripts/virtual-desktop"));
}

QString ArtifactDir()
{
    const QString dir = FromEnv("VITRODIAL_E2E_ARTIFACTS", QStringLiteral(VITRODIAL_E2E_ARTIFACTS));
    QDir().mkpath(dir);
    return dir;
}

// ---------------------------------------------------------------------------
// VirtualDesktop

VirtualDesktop::~VirtualDesktop() { Stop(); }

bool VirtualDesktop::Start(const Options& options)
{
    Stop();
    m_options = options;
    m_strError.clear();

    m_pHome = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vitrodial-e2e.XXXXXX"));
    if (!m_pHome->isValid() || !QDir(m_pHome->path()).mkpath(QStringLiteral("config"))
        || !QDir(m_pHome->path()).mkpath(QStringLiteral("runtime"))) {
        m_strError = QStringLiteral("cannot make a temporary folder");
        return false;
    }
    QFile::setPermissions(m_pHome->path() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QStringList args{DesktopScript(), QStringLiteral("start"), QStringLiteral("--watch-pid"),
                     QString::number(QCoreApplication::applicationPid())};
    if (!options.compositor)
        args << QStringLiteral("--no-compositor");
    if (!options.tray)
        args << QStringLiteral("--no-tray");
    QProcess script;
    script.start(QStringLiteral("bash"), args);
    if (!script.waitForFinished(120000) || script.exitStatus() != QProcess::NormalExit
        || script.exitCode() != 0) {
        m_strError = QStringLiteral("virtual-desktop start failed: ")
                     + QString::fromLocal8Bit(script.readAllStandardError());
        script.kill();
        script.waitForFinished(3000);
        return false;
    }
    const QString out = QString::fromLocal8Bit(script.readAllStandardOutput());
    for (const QString& line : out.split(u'\n')) {
        if (line.startsWith(QLatin1String("DISPLAY=")))
            m_strDisplay = line.mid(8).trimmed();
        else if (line.startsWith(QLatin1String("VD_STATE=")))
            m_strState = line.mid(9).trimmed();
    }
    if (m_strDisplay.isEmpty() || m_strState.isEmpty()) {
        m_strError = QStringLiteral("virtual-desktop start printed no display: ") + out;
        Stop();
        return false;
    }
    // The bare desktop, before any program of ours is in it.
    if (!WaitFor([this] { m_imgReference = Screenshot(); return !m_imgReference.isNull(); }, 10000)) {
        m_strError = QStringLiteral("no screenshot of the empty desktop");
        Stop();
        return false;
    }
    return true;
}

bool VirtualDesktop::Ensure(const Options& options)
{
    if (IsRunning() && m_options.compositor == options.compositor && m_options.tray == options.tray
        && m_options.scale == options.scale)
        return true;
    return Start(options);
}

void VirtualDesktop::Stop()
{
    if (!m_strState.isEmpty()) {
        QProcess script;
        script.start(QStringLiteral("bash"), {DesktopScript(), QStringLiteral("stop"), m_strState});
        script.waitForFinished(30000);
        m_strState.clear();
    }
    m_strDisplay.clear();
    m_pHome.reset();
}

QString VirtualDesktop::ConfigHome() const
{
    return m_pHome ? m_pHome->path() + QStringLiteral("/config") : QString();
}

QProcessEnvironment VirtualDesktop::Environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "QT_SCALE_FACTOR",
                             "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
                             "QT_ENABLE_HIGHDPI_SCALING", "SESSION_MANAGER", "XAUTHORITY"})
        env.remove(QString::fromLatin1(name));
    // libxkbcommon-x11 hands strndup() the unterminated strings of X replies,
    // which AddressSanitizer's strict string checks take for an overflow in
    // every xcb program; the check stays on for everything else.
    QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    if (asan.contains(QLatin1String("strict_string_checks=1"))) {
        asan.replace(QLatin1String("strict_string_checks=1"), QLatin1String("strict_string_checks=0"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), asan);
    }
    env.insert(QStringLiteral("DISPLAY"), m_strDisplay);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("x11"));
    env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    if (m_pHome) {
        const QString runtime = m_pHome->path() + QStringLiteral("/runtime");
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigHome());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("TMPDIR"), runtime);
    }
    if (!m_options.scale.isEmpty())
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), m_options.scale);
    return env;
}

QString VirtualDesktop::Run(const QString& program, const QStringList& args, bool* ok,
                            int timeoutMs) const
{
    QProcess p;
    p.setProcessEnvironment(Environment());
    p.start(program, args);
    const bool finished = p.waitForFinished(timeoutMs);
    if (!finished) {
        p.kill();
        p.waitForFinished(3000);
    }
    if (ok)
        *ok = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QList<quint64> VirtualDesktop::FindWindows(const QString& titleRegex, bool onlyVisible) const
{
    QStringList args{QStringLiteral("search"), QStringLiteral("--maxdepth"), QStringLiteral("1")};
    if (onlyVisible)
        args << QStringLiteral("--onlyvisible");
    args << QStringLiteral("--name") << titleRegex;
    QList<quint64> ids;
    for (const QString& line : Run(QStringLiteral("xdotool"), args).split(u'\n', Qt::SkipEmptyParts))
        if (const quint64 id = ParseId(line.trimmed()))
            ids << id;
    return ids;
}

WindowInfo VirtualDesktop::Info(quint64 window) const
{
    bool ok = false;
    const QString out = Run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), Hex(window)}, &ok);
    WindowInfo info;
    if (!ok)
        return info;
    auto field = [&out](const char* label) {
        const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s*(-?\\d+)"));
        return re.match(out).captured(1).toInt();
    };
    info.rect = QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"),
                      field("Width"), field("Height"));
    info.viewable = out.contains(QLatin1String("Map State: IsViewable"));
    info.valid = true;
    return info;
}

QStringList VirtualDesktop::NetWmState(quint64 window) const
{
    const QString out = Run(QStringLiteral("xprop"),
                            {QStringLiteral("-id"), Hex(window), QStringLiteral("_NET_WM_STATE")});
    const qsizetype eq = out.indexOf(u'=');
    if (eq < 0)
        return {};
    QStringList atoms;
    for (const QString& atom : out.mid(eq + 1).split(u',', Qt::SkipEmptyParts))
        atoms << atom.trimmed();
    return atoms;
}

namespace {

// One line of `xwininfo -tree`: depth (by indentation), id, absolute rectangle,
// and the rest of the line (name and class).
struct TreeLine {
    int indent = 0;
    quint64 id = 0;
    QRect rect;
    QString text;
};

QList<TreeLine> ParseTree(const QString& out)
{
    static const QRegularExpression re(
        QStringLiteral("^(\\s*)(0x[0-9a-f]+) (.*)\\s(\\d+)x(\\d+)[+-]-?\\d+[+-]-?\\d+\\s+\\+(-?\\d+)\\+(-?\\d+)\\s*$"));
    QList<TreeLine> lines;
    for (const QString& raw : out.split(u'\n')) {
        const auto m = re.match(raw);
        if (!m.hasMatch())
            continue;
        TreeLine line;
        line.indent = int(m.captured(1).size());
        line.id = ParseId(m.captured(2));
        line.text = m.captured(3);
        line.rect = QRect(m.captured(6).toInt(), m.captured(7).toInt(), m.captured(4).toInt(),
                          m.captured(5).toInt());
        lines << line;
    }
    return lines;
}

}  // namespace

QRect VirtualDesktop::TrayRect() const
{
    const auto lines = ParseTree(Run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}));
    for (const TreeLine& line : lines)
        if (line.text.contains(QLatin1String("(\"panel\" \"trayer\")")))
            return line.rect;
    return {};
}

QList<QRect> VirtualDesktop::TrayIcons() const
{
    const auto lines = ParseTree(Run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}));
    QList<QRect> icons;
    int panelIndent = -1;
    for (const TreeLine& line : lines) {
        if (panelIndent < 0) {
            if (line.text.contains(QLatin1String("(\"panel\" \"trayer\")")))
                panelIndent = line.indent;
            continue;
        }
        if (line.indent <= panelIndent)
            break;  // past the panel's subtree
        // trayer's own sockets start as 1x1 placeholders; an icon has a size,
        // shares its rectangle with its socket, and takes clicks once mapped
        if (line.rect.width() >= 8 && line.rect.height() >= 8 && !icons.contains(line.rect)
            && Info(line.id).viewable)
            icons << line.rect;
    }
    return icons;
}

QList<quint64> VirtualDesktop::Stacking() const
{
    const QString out = Run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
    static const QRegularExpression re(QStringLiteral("^\\s+(0x[0-9a-f]+) "));
    QList<quint64> ids;
    for (const QString& line : out.split(u'\n')) {
        const auto m = re.match(line);
        if (m.hasMatch())
            ids << ParseId(m.captured(1));
    }
    return ids;
}

QImage VirtualDesktop::Screenshot() const
{
    QProcess p;
    p.setProcessEnvironment(Environment());
    p.start(QStringLiteral("import"), {QStringLiteral("-silent"), QStringLiteral("-window"),
                                       QStringLiteral("root"), QStringLiteral("png:-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished(3000);
        return {};
    }
    QImage image = QImage::fromData(p.readAllStandardOutput(), "PNG");
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

QString VirtualDesktop::SaveArtifact(const QImage& image, const QString& name) const
{
    QString safe = name;
    safe.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]+")), QStringLiteral("-"));
    const QString path = ArtifactDir() + u'/'
                         + QDateTime::currentDateTime().toString(QStringLiteral("HHmmss-zzz-")) + safe
                         + QStringLiteral(".png");
    image.save(path, "PNG");
    return path;
}

bool VirtualDesktop::Click(const QPoint& p, int button) const
{
    bool ok = false;
    Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(p.x()),
                                    QString::number(p.y()), QStringLiteral("click"),
                                    QString::number(button)},
        &ok);
    return ok;
}

bool VirtualDesktop::Keys(const QStringList& keys) const
{
    bool ok = false;
    Run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"),
                                               QStringLiteral("60")} + keys,
        &ok);
    return ok;
}

// ---------------------------------------------------------------------------
// ClockProcess

ClockProcess::ClockProcess(VirtualDesktop& desktop, const QString& name)
    : m_desktop(desktop), m_strName(name),
      m_dir(QDir::tempPath() + QStringLiteral("/vitrodial-copy.XXXXXX"))
{
}

ClockProcess::~ClockProcess() { Kill(); }

QString ClockProcess::ProgramFile() const { return m_dir.path() + u'/' + m_strName; }

QString ClockProcess::IniPath() const { return ProgramFile() + QStringLiteral(".ini"); }

QByteArray ClockProcess::IniContents() const
{
    QFile f(IniPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool ClockProcess::Prepare(const QString& iniText)
{
    if (!m_dir.isValid())
        return false;
    QFile::remove(ProgramFile());
    if (!QFile::copy(ProgramPath(), ProgramFile())) {
        qWarning("cannot copy the program %s", qPrintable(ProgramPath()));
        return false;
    }
    QFile::setPermissions(ProgramFile(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile ini(IniPath());
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return ini.write(iniText.toUtf8()) >= 0;
}

std::unique_ptr<QProcess> ClockProcess::Launch(const QString& logName) const
{
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(m_desktop.Environment());
    p->setWorkingDirectory(m_dir.path());
    // into a file, so that a chatty program never blocks on a full pipe
    p->setStandardOutputFile(m_dir.path() + u'/' + logName);
    p->setStandardErrorFile(m_dir.path() + u'/' + logName, QIODevice::Append);
    p->start(ProgramFile(), {});
    return p;
}

bool ClockProcess::Start()
{
    Kill();
    m_pProcess = Launch(QStringLiteral("output.log"));
    return m_pProcess->waitForStarted(10000);
}

QProcess* ClockProcess::StartAgain()
{
    m_vecOthers.push_back(Launch(QStringLiteral("output-%1.log").arg(m_vecOthers.size() + 2)));
    m_vecOthers.back()->waitForStarted(10000);
    return m_vecOthers.back().get();
}

bool ClockProcess::IsRunning() const
{
    if (!m_pProcess || m_pProcess->state() == QProcess::NotRunning)
        return false;
    return !m_pProcess->waitForFinished(0);
}

bool ClockProcess::WaitForExit(int timeoutMs)
{
    if (!m_pProcess || m_pProcess->state() == QProcess::NotRunning)
        return true;
    return m_pProcess->waitForFinished(timeoutMs);
}

void ClockProcess::Kill()
{
    auto stop = [](QProcess& p) {
        if (p.state() == QProcess::NotRunning)
            return;
        p.terminate();
        if (!p.waitForFinished(3000)) {
            p.kill();
            p.waitForFinished(3000);
        }
    };
    for (auto& other : m_vecOthers)
        stop(*other);
    if (m_pProcess)
        stop(*m_pProcess);
}

int ClockProcess::ExitCode() const { return m_pProcess ? m_pProcess->exitCode() : -1; }

QProcess::ExitStatus ClockProcess::ExitStatus() const
{
    return m_pProcess ? m_pProcess->exitStatus() : QProcess::CrashExit;
}

QString ClockProcess::Output() const
{
    QString text;
    for (const QString& name : QDir(m_dir.path()).entryList({QStringLiteral("output*.log")})) {
        QFile f(m_dir.path() + u'/' + name);
        if (f.open(QIODevice::ReadOnly))
            text += QStringLiteral("--- %1:\n").arg(name) + QString::fromLocal8Bit(f.readAll());
    }
    return text;
}

quint64 ClockProcess::FindClockWindow() const
{
    const auto ids = m_desktop.FindWindows(
        QStringLiteral("^") + QRegularExpression::escape(m_strName) + QStringLiteral("$"));
    return ids.size() == 1 ? ids.first() : 0;
}

bool ClockProcess::WaitForClockWindow(int timeoutMs) const
{
    return WaitFor([this] { return FindClockWindow() != 0; }, timeoutMs, 100);
}

// ---------------------------------------------------------------------------
// IniFixture

IniFixture::IniFixture()
{
    m_sections = {
        {QStringLiteral("Geometry"), {{"Left", "200"}, {"Top", "150"}, {"Size", "400"}}},
        {QStringLiteral("Color"), {{"Opacity", "200"}, {"Clear", "ffffff"}}},
        // a dark background, so that the blend over the wallpaper shows clearly
        {QStringLiteral("Dial"), {{"Background", "402010"}, {"Frame", "ffff"}, {"Fill", "ff00"},
                                  {"Width", "2"}, {"Show", "1"}}},
        // white (the clear colour) as the hands' fill: holes through the hands
        {QStringLiteral("Seconds"), {{"Frame", "ff"}, {"Fill", "ffffff"}, {"Width", "2"}, {"Show", "1"}}},
        {QStringLiteral("Minute"), {{"Frame", "ff00ff"}, {"Fill", "ffffff"}, {"Width", "3"}}},
        {QStringLiteral("Hour"), {{"Frame", "ffff00"}, {"Fill", "ffffff"}, {"Width", "3"}}},
        {QStringLiteral("Date"), {{"Frame", "ff"}, {"Fill", "80ff"}, {"Width", "1"}, {"Show", "1"},
                                  {"Month", "1"}, {"Day", "1"}, {"AMPM", "1"}, {"Box", "1"}}},
        {QStringLiteral("Font"), {{"Face", "DejaVu Sans"}, {"Italic", "0"}, {"Weight", "700"}}},
        {QStringLiteral("Misc"), {{"TopMost", "1"}, {"IniFile", "1"}, {"TrayIcon", "1"}}},
    };
}

IniFixture& IniFixture::Set(const QString& section, const QString& key, const QString& value)
{
    for (auto& s : m_sections) {
        if (s.first.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        for (auto& kv : s.second) {
            if (kv.first.compare(key, Qt::CaseInsensitive) == 0) {
                kv.second = value;
                return *this;
            }
        }
        s.second.append({key, value});
        return *this;
    }
    m_sections.append({section, {{key, value}}});
    return *this;
}

IniFixture& IniFixture::Set(const QString& section, const QString& key, int value)
{
    return Set(section, key, QString::number(value));
}

QString IniFixture::Get(const QString& section, const QString& key) const
{
    for (const auto& s : m_sections)
        if (s.first.compare(section, Qt::CaseInsensitive) == 0)
            for (const auto& kv : s.second)
                if (kv.first.compare(key, Qt::CaseInsensitive) == 0)
                    return kv.second;
    return {};
}

QString IniFixture::Text() const
{
    QString text;
    for (const auto& s : m_sections) {
        text += u'[' + s.first + QStringLiteral("]\n");
        for (const auto& kv : s.second)
            text += kv.first + u'=' + kv.second + u'\n';
    }
    return text;
}

QRgb IniFixture::FromColorref(const QString& hex)
{
    const uint v = hex.toUInt(nullptr, 16);
    return qRgb(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

QList<QRgb> IniFixture::Colours() const
{
    static const QList<QPair<QString, QString>> keys = {
        {"Color", "Clear"}, {"Dial", "Background"}, {"Dial", "Frame"}, {"Dial", "Fill"},
        {"Seconds", "Frame"}, {"Seconds", "Fill"}, {"Minute", "Frame"}, {"Minute", "Fill"},
        {"Hour", "Frame"}, {"Hour", "Fill"}, {"Date", "Frame"}, {"Date", "Fill"}};
    QList<QRgb> colours;
    for (const auto& k : keys) {
        const QRgb c = FromColorref(Get(k.first, k.second));
        if (!colours.contains(c))
            colours << c;
    }
    return colours;
}

QRgb IniFixture::Clear() const { return FromColorref(Get(QStringLiteral("Color"), QStringLiteral("Clear"))); }

int IniFixture::Alpha() const { return Get(QStringLiteral("Color"), QStringLiteral("Opacity")).toInt() & 0xff; }

QRect IniFixture::ClockRect() const
{
    const int size = Get(QStringLiteral("Geometry"), QStringLiteral("Size")).toInt();
    return {Get(QStringLiteral("Geometry"), QStringLiteral("Left")).toInt(),
            Get(QStringLiteral("Geometry"), QStringLiteral("Top")).toInt(), size, size};
}

// ---------------------------------------------------------------------------
// Pixels

QRgb Blend(QRgb c, QRgb w, int a)
{
    auto mix = [a](int fg, int bg) { return int(std::lround((fg * a + bg * (255 - a)) / 255.0)); };
    return qRgb(mix(qRed(c), qRed(w)), mix(qGreen(c), qGreen(w)), mix(qBlue(c), qBlue(w)));
}

bool Near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

qint64 DifferingPixels(const QImage& a, const QImage& b, const QRect& rect)
{
    const QRect r = rect & a.rect() & b.rect();
    qint64 n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const QRgb* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            n += (pa[x] & 0xffffff) != (pb[x] & 0xffffff);
    }
    return n;
}

QImage WaitForFace(const VirtualDesktop& desktop, const QRect& rect, int timeoutMs)
{
    QImage shot;
    const qint64 enough = qint64(rect.width()) * rect.height() / 2;
    WaitFor([&] {
        shot = desktop.Screenshot();
        return !shot.isNull() && DifferingPixels(shot, desktop.Wallpaper(), rect) > enough;
    }, timeoutMs, 100);
    return DifferingPixels(shot, desktop.Wallpaper(), rect) > enough ? shot : QImage();
}

void ReportFailure(const VirtualDesktop& desktop, const ClockProcess* clock)
{
    if (!QTest::currentTestFailed() || !clock)
        return;
    qWarning().noquote() << clock->Output();
    qWarning().noquote() << "screenshot:" << desktop.SaveArtifact(desktop.Screenshot(), QTest::currentTestFunction());
}

FaceReport CheckFace(const QImage& shot, const QImage& wallpaper, const QRect& rect,
                     const QList<QRgb>& colours, QRgb clear, int alpha, const QList<QRect>& ignore)
{
    FaceReport report;
    if (shot.size() != wallpaper.size()) {
        report.failure = QStringLiteral("screenshot and wallpaper differ in size");
        return report;
    }
    const double cx = rect.x() + rect.width() / 2.0;
    const double cy = rect.y() + rect.height() / 2.0;
    const double r = rect.width() / 2.0;
    auto describe = [](QRgb c) {
        return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0'));
    };
    int faults = 0;
    auto fault = [&](int x, int y, const QString& what) {
        if (faults++ < 5)
            report.failure += QStringLiteral("(%1,%2) %3; ").arg(x).arg(y).arg(what);
    };
    for (int y = 0; y < shot.height(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        const QRgb* w = reinterpret_cast<const QRgb*>(wallpaper.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb sp = s[x] & 0xffffff;
            const QRgb wp = w[x] & 0xffffff;
            // distance of the pixel's centre from the circle's centre
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            const bool inside = d < r - 2;
            const bool outside = d > r + 1;
            if (outside) {
                bool ignored = false;
                for (const QRect& q : ignore)
                    ignored = ignored || q.contains(x, y);
                if (!ignored && sp != wp)
                    fault(x, y, QStringLiteral("outside the circle %1, wallpaper %2").arg(describe(sp), describe(wp)));
                continue;
            }
            if (sp == wp) {
                if (inside) {
                    ++report.clear;
                    ++report.inside;
                }
                continue;
            }
            bool matched = false;
            for (QRgb c : colours) {
                if ((c & 0xffffff) == (clear & 0xffffff))
                    continue;
                const bool ok = alpha < 0 ? sp == (c & 0xffffff) : Near(sp, Blend(c, wp, alpha), 2);
                if (ok) {
                    if (inside) {
                        ++report.colours[c & 0xffffff];
                        ++report.inside;
                    }
                    matched = true;
                    break;
                }
            }
            if (!matched)
                fault(x, y, QStringLiteral("%1 over wallpaper %2 is no face colour%3")
                                .arg(describe(sp), describe(wp),
                                     alpha < 0 ? QString() : QStringLiteral(" blended at %1").arg(alpha)));
        }
    }
    if (faults > 5)
        report.failure += QStringLiteral("and %1 more").arg(faults - 5);
    return report;
}

}  // namespace e2e
