#include "DesktopHarness.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace e2e {

namespace {

QString FromEnv(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

QString ProgramPath() { return FromEnv("VITRODIAL_PROGRAM", QStringLiteral(VITRODIAL_PROGRAM)); }

QString DesktopScript()
{
    return FromEnv("VITRODIAL_VIRTUAL_DESKTOP", QStringLiteral(VITRODIAL_SOURCE_DIR "/scripts/virtual-desktop"));
}

QString Hex(quint64 window) { return QStringLiteral("0x%1").arg(window, 0, 16); }

// "X Y W H" as the desktop script prints rectangles.
QRect ParseRect(const QString& line)
{
    const QStringList n = line.split(u' ', Qt::SkipEmptyParts);
    return n.size() == 4 ? QRect(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt()) : QRect();
}

QRgb Blend(QRgb c, QRgb w, int a)
{
    auto mix = [a](int c, int w) { return int(std::lround((c * a + w * (255 - a)) / 255.0)); };
    return qRgb(mix(qRed(c), qRed(w)), mix(qGreen(c), qGreen(w)), mix(qBlue(c), qBlue(w)));
}

bool Near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

}  // namespace

bool WaitFor(const std::function<bool()>& cond, int timeoutMs, int stepMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() >= timeoutMs)
            return cond();
        QTest::qWait(stepMs);
    }
    return true;
}

// ---------------------------------------------------------------------------
// VirtualDesktop

bool VirtualDesktop::Start(const Options& options)
{
    Stop();
    m_options = options;
    m_pHome = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vitrodial-e2e.XXXXXX"));
    QDir(m_pHome->path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(m_pHome->path() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcess script;
    script.start(QStringLiteral("bash"),
                 {DesktopScript(), "start", "--watch-pid", QString::number(QCoreApplication::applicationPid()),
                  "--wm", options.wm, "--compositor", options.compositor, "--tray", options.tray});
    const bool ok = script.waitForFinished(120000) && script.exitStatus() == QProcess::NormalExit
                    && script.exitCode() == 0;
    for (const QString& line : QString::fromLocal8Bit(script.readAllStandardOutput()).split(u'\n'))
        if (line.contains(u'='))
            m_vars.insert(line.section(u'=', 0, 0), line.section(u'=', 1).trimmed());
    if (!ok || !m_vars.contains(QStringLiteral("VD_STATE"))) {
        m_strError = QStringLiteral("virtual-desktop start failed: ") + QString::fromLocal8Bit(script.readAllStandardError());
        script.kill();
        script.waitForFinished(3000);
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
    return (m_vars.contains(QStringLiteral("VD_STATE")) && m_options == options) || Start(options);
}

void VirtualDesktop::Stop()
{
    if (m_vars.contains(QStringLiteral("VD_STATE")))
        QProcess::execute(QStringLiteral("bash"), {DesktopScript(), "stop", m_vars.value("VD_STATE")});
    m_vars.clear();
    m_pHome.reset();
}

QProcessEnvironment VirtualDesktop::Environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                             "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_ENABLE_HIGHDPI_SCALING", "SESSION_MANAGER", "XAUTHORITY"})
        env.remove(QString::fromLatin1(name));
    // libxkbcommon-x11 hands strndup() the unterminated strings of X replies,
    // which AddressSanitizer's strict string checks take for an overflow in
    // every xcb program; the check stays on for everything else.
    QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), asan.replace("strict_string_checks=1", "strict_string_checks=0"));
    for (const char* name : {"DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "QT_SCALE_FACTOR"})
        if (m_vars.contains(QString::fromLatin1(name)))
            env.insert(QString::fromLatin1(name), m_vars.value(QString::fromLatin1(name)));
    if (!m_options.scale.isEmpty())
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), m_options.scale);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("x11"));
    env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    if (m_pHome) {
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_pHome->path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_pHome->path() + QStringLiteral("/runtime"));
        env.insert(QStringLiteral("TMPDIR"), m_pHome->path() + QStringLiteral("/runtime"));
    }
    return env;
}

QString VirtualDesktop::Run(const QString& program, const QStringList& args, bool* ok, int timeoutMs) const
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

bool VirtualDesktop::Script(const QStringList& args) const
{
    bool ok = false;
    Run(QStringLiteral("bash"), QStringList{DesktopScript(), args.value(0), m_vars.value("VD_STATE")} + args.mid(1),
        &ok, 60000);
    return ok;
}

QList<quint64> VirtualDesktop::FindWindows(const QString& titleRegex, bool onlyVisible) const
{
    QStringList args{"search", "--name", titleRegex};
    if (onlyVisible)
        args.insert(1, "--onlyvisible");
    QList<quint64> ids;
    for (const QString& line : Run(QStringLiteral("xdotool"), args).split(u'\n', Qt::SkipEmptyParts))
        ids << line.trimmed().toULongLong();
    return ids;
}

WindowInfo VirtualDesktop::Info(quint64 window) const
{
    bool ok = false;
    const QString out = Run(QStringLiteral("xwininfo"), {"-id", Hex(window)}, &ok);
    auto field = [&out](const char* name) {
        const auto m = QRegularExpression(QString::fromLatin1(name) + QStringLiteral(":\\s+(-?\\d+)")).match(out);
        return m.captured(1).toInt();
    };
    WindowInfo info;
    info.viewable = ok && out.contains(QLatin1String("IsViewable"));
    if (ok)
        info.rect = QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                          field("Height"));
    return info;
}

bool VirtualDesktop::Above(quint64 a, quint64 b) const
{
    bool ok = false;
    Run(QStringLiteral("bash"), {DesktopScript(), "above", QString::number(a), QString::number(b)}, &ok);
    return ok;
}

bool VirtualDesktop::InTaskbar(quint64 window) const
{
    const QString listed = Run(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST"});
    const QString state = Run(QStringLiteral("xprop"), {"-id", Hex(window), "_NET_WM_STATE"});
    return listed.contains(Hex(window)) && !state.contains(QLatin1String("_NET_WM_STATE_SKIP_TASKBAR"));
}

QStringList VirtualDesktop::TrayLines() const
{
    return Run(QStringLiteral("bash"), {DesktopScript(), "tray-icon"}).split(u'\n', Qt::SkipEmptyParts);
}

QRect VirtualDesktop::TrayRect() const { return ParseRect(TrayLines().value(0)); }

QRect VirtualDesktop::TrayIcons() const { return ParseRect(TrayLines().value(1)); }

QImage VirtualDesktop::Screenshot() const
{
    QProcess p;
    p.setProcessEnvironment(Environment());
    p.start(QStringLiteral("import"), {"-silent", "-window", "root", "png:-"});
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
    const QString dir = FromEnv("VITRODIAL_E2E_ARTIFACTS", QStringLiteral(VITRODIAL_E2E_ARTIFACTS));
    QDir().mkpath(dir);
    QString safe = name;
    safe.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]+")), QStringLiteral("-"));
    const QString path = dir + QDateTime::currentDateTime().toString(QStringLiteral("/HHmmss-zzz-")) + safe + ".png";
    image.save(path, "PNG");
    return path;
}

bool VirtualDesktop::Click(const QPoint& p, int button) const
{
    bool ok = false;
    Run(QStringLiteral("xdotool"),
        {"mousemove", QString::number(p.x()), QString::number(p.y()), "click", QString::number(button)}, &ok);
    return ok;
}

bool VirtualDesktop::Keys(const QStringList& keys) const
{
    bool ok = false;
    Run(QStringLiteral("xdotool"), QStringList{"key", "--delay", "60"} + keys, &ok);
    return ok;
}

// ---------------------------------------------------------------------------
// ClockProcess

ClockProcess::ClockProcess(VirtualDesktop& desktop, const QString& name)
    : m_desktop(desktop), m_strName(name), m_dir(QDir::tempPath() + QStringLiteral("/vitrodial-copy.XXXXXX"))
{
}

QByteArray ClockProcess::IniContents() const
{
    QFile f(IniPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool ClockProcess::Prepare(const QString& iniText)
{
    const QString program = m_dir.path() + u'/' + m_strName;
    QFile::remove(program);
    QFile ini(IniPath());
    return m_dir.isValid() && QFile::copy(ProgramPath(), program) && ini.open(QIODevice::WriteOnly)
           && ini.write(iniText.toUtf8()) >= 0;
}

QProcess* ClockProcess::Launch(std::unique_ptr<QProcess>& slot, const QString& logName) const
{
    slot = std::make_unique<QProcess>();
    slot->setProcessEnvironment(m_desktop.Environment());
    slot->setWorkingDirectory(m_dir.path());
    // into a file, so that a chatty program never blocks on a full pipe
    slot->setStandardOutputFile(m_dir.path() + u'/' + logName);
    slot->setStandardErrorFile(m_dir.path() + u'/' + logName, QIODevice::Append);
    slot->start(m_dir.path() + u'/' + m_strName, {});
    slot->waitForStarted(10000);
    return slot.get();
}

bool ClockProcess::Start()
{
    Kill();
    return Launch(m_pProcess, QStringLiteral("output.log"))->state() != QProcess::NotRunning;
}

QProcess* ClockProcess::StartAgain()
{
    m_vecOthers.emplace_back();
    return Launch(m_vecOthers.back(), QStringLiteral("output-%1.log").arg(m_vecOthers.size() + 1));
}

bool ClockProcess::IsRunning() const
{
    return m_pProcess && m_pProcess->state() != QProcess::NotRunning && !m_pProcess->waitForFinished(0);
}

bool ClockProcess::WaitForExit(int timeoutMs)
{
    return !m_pProcess || m_pProcess->state() == QProcess::NotRunning || m_pProcess->waitForFinished(timeoutMs);
}

void ClockProcess::Kill()
{
    m_vecOthers.push_back(std::move(m_pProcess));
    for (auto& p : m_vecOthers) {
        if (p && p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(3000))
                p->kill();
            p->waitForFinished(3000);
        }
    }
    m_pProcess = std::move(m_vecOthers.back());
    m_vecOthers.pop_back();
}

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
    const auto ids = m_desktop.FindWindows(QStringLiteral("^%1$").arg(QRegularExpression::escape(m_strName)));
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
    const char* const text[][3] = {
        {"Geometry", "Left", "200"}, {"Geometry", "Top", "150"}, {"Geometry", "Size", "400"},
        {"Color", "Opacity", "200"}, {"Color", "Clear", "ffffff"},
        // a dark background, so that the blend over the wallpaper shows clearly
        {"Dial", "Background", "402010"}, {"Dial", "Frame", "ffff"}, {"Dial", "Fill", "ff00"},
        {"Dial", "Width", "2"}, {"Dial", "Show", "1"},
        // white (the clear colour) as the hands' fill: holes through the hands
        {"Seconds", "Frame", "ff"}, {"Seconds", "Fill", "ffffff"}, {"Seconds", "Width", "2"}, {"Seconds", "Show", "1"},
        {"Minute", "Frame", "ff00ff"}, {"Minute", "Fill", "ffffff"}, {"Minute", "Width", "3"},
        {"Hour", "Frame", "ffff00"}, {"Hour", "Fill", "ffffff"}, {"Hour", "Width", "3"},
        {"Date", "Frame", "ff"}, {"Date", "Fill", "80ff"}, {"Date", "Width", "1"}, {"Date", "Show", "1"},
        {"Date", "Month", "1"}, {"Date", "Day", "1"}, {"Date", "AMPM", "1"}, {"Date", "Box", "1"},
        {"Font", "Face", "DejaVu Sans"}, {"Font", "Italic", "0"}, {"Font", "Weight", "700"},
        {"Misc", "TopMost", "1"}, {"Misc", "IniFile", "1"}, {"Misc", "TrayIcon", "1"},
    };
    for (const auto& line : text)
        Set(QString::fromLatin1(line[0]), QString::fromLatin1(line[1]), QString::fromLatin1(line[2]));
}

IniFixture& IniFixture::Set(const QString& section, const QString& key, const QString& value)
{
    m_sections[section][key] = value;
    return *this;
}

IniFixture& IniFixture::Set(const QString& section, const QString& key, int value)
{
    return Set(section, key, QString::number(value));
}

QString IniFixture::Get(const QString& section, const QString& key) const
{
    return m_sections.value(section).value(key);
}

QString IniFixture::Text() const
{
    QString text;
    for (auto s = m_sections.cbegin(); s != m_sections.cend(); ++s) {
        text += u'[' + s.key() + QStringLiteral("]\n");
        for (auto kv = s->cbegin(); kv != s->cend(); ++kv)
            text += kv.key() + u'=' + kv.value() + u'\n';
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
    QList<QRgb> colours{Clear()};
    for (const char* section : {"Dial", "Seconds", "Minute", "Hour", "Date"})
        for (const char* key : {"Background", "Frame", "Fill"}) {
            const QString value = Get(QString::fromLatin1(section), QString::fromLatin1(key));
            if (!value.isEmpty() && !colours.contains(FromColorref(value)))
                colours << FromColorref(value);
        }
    return colours;
}

QRgb IniFixture::Clear() const { return FromColorref(Get("Color", "Clear")); }

int IniFixture::Alpha() const { return Get("Color", "Opacity").toInt() & 0xff; }

QRect IniFixture::ClockRect() const
{
    const int size = Get("Geometry", "Size").toInt();
    return {Get("Geometry", "Left").toInt(), Get("Geometry", "Top").toInt(), size, size};
}

// ---------------------------------------------------------------------------
// Pixels

qint64 DifferingPixels(const QImage& a, const QImage& b, const QRect& rect)
{
    const QRect r = rect & a.rect() & b.rect();
    qint64 n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            n += (pa[x] & 0xffffff) != (pb[x] & 0xffffff);
    }
    return n;
}

void ReportFailure(const VirtualDesktop& desktop, const ClockProcess* clock)
{
    if (!QTest::currentTestFailed() || !clock)
        return;
    qWarning().noquote() << clock->Output();
    qWarning().noquote() << "screenshot:" << desktop.SaveArtifact(desktop.Screenshot(), QTest::currentTestFunction());
}

FaceReport CheckFace(const QImage& shot, const QImage& wallpaper, const QRect& rect, const IniFixture& ini,
                     int alpha, const QList<QRect>& ignore)
{
    FaceReport report;
    if (shot.size() != wallpaper.size())
        report.failure = QStringLiteral("screenshot and wallpaper differ in size");
    if (shot.size() != wallpaper.size())
        return report;
    const double r = rect.width() / 2.0;
    const QPointF centre = QRectF(rect).center();
    auto describe = [](QRgb c) { return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0')); };
    int faults = 0;
    auto fault = [&](int x, int y, const QString& what) {
        if (faults++ < 5)
            report.failure += QStringLiteral("(%1,%2) %3; ").arg(x).arg(y).arg(what);
    };
    const QList<QRgb> colours = ini.Colours().mid(1);  // the clear colour shows the wallpaper
    for (int y = 0; y < shot.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        const auto* w = reinterpret_cast<const QRgb*>(wallpaper.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb sp = s[x] & 0xffffff;
            const QRgb wp = w[x] & 0xffffff;
            // distance of the pixel's centre from the circle's centre
            const double d = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
            const bool inside = d < r - 2;
            if (d > r + 1) {
                if (sp != wp && std::none_of(ignore.begin(), ignore.end(), [&](const QRect& q) { return q.contains(x, y); }))
                    fault(x, y, QStringLiteral("outside the circle %1, wallpaper %2").arg(describe(sp), describe(wp)));
                continue;
            }
            if (sp == wp) {
                report.clear += inside;
                report.inside += inside;
                continue;
            }
            const auto match = std::find_if(colours.begin(), colours.end(), [&](QRgb c) {
                return alpha < 0 ? sp == (c & 0xffffff) : Near(sp, Blend(c, wp, alpha), 2);
            });
            if (match == colours.end()) {
                fault(x, y, QStringLiteral("%1 over wallpaper %2 is no face colour at alpha %3")
                                .arg(describe(sp), describe(wp)).arg(alpha));
            } else if (inside) {
                ++report.colours[*match & 0xffffff];
                ++report.inside;
            }
        }
    }
    if (faults > 5)
        report.failure += QStringLiteral("and %1 more").arg(faults - 5);
    return report;
}

FaceReport WaitForFace(const VirtualDesktop& desktop, const IniFixture& ini, int alpha, const QString& name,
                       const QRect& rect, const QList<QRect>& ignore, qint64 least)
{
    FaceReport report;
    QImage shot;
    const bool shown = WaitFor([&] {
        shot = desktop.Screenshot();
        report = CheckFace(shot, desktop.Wallpaper(), rect.isNull() ? ini.ClockRect() : rect, ini, alpha,
                           ignore + QList<QRect>{desktop.TrayRect()});
        return report.failure.isEmpty() && report.inside - report.clear > least;
    }, 15000, 200);
    if (!shown)
        report.failure += QStringLiteral(" no face as it should be; screenshot: ") + desktop.SaveArtifact(shot, name);
    return report;
}

}  // namespace e2e
