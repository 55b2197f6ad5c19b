// The settings: defaults, load checks, colour and integer texts, saving, the
// choice of store at start-up, and the settings file's name and fallbacks.

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <functional>
#include <optional>

#include "app/ClockApp.h"
#include "app/IniFileStore.h"
#include "platform/MessageBox.h"
#include "unit/SettingsTestSupport.h"

using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

// The stored keys, in the order a save writes them: 4 to 15 are colours, 16 a text.
const QStringList kKeys = QStringLiteral(
    "Geometry/Left Geometry/Top Geometry/Size Color/Opacity Color/Clear Dial/Background Dial/Frame Dial/Fill "
    "Seconds/Frame Seconds/Fill Minute/Frame Minute/Fill Hour/Frame Hour/Fill Date/Frame Date/Fill Font/Face "
    "Font/Italic Font/Weight Dial/Width Seconds/Width Minute/Width Hour/Width Date/Width Seconds/Show Date/Show "
    "Date/Month Date/Day Date/AMPM Dial/Show Misc/TopMost Date/Box Misc/IniFile Misc/TrayIcon").split(u' ');
bool IsInt(int i) { return i < 4 || i > 16; }

// The members behind kKeys, in the same order, as text (colours in hex).
QStringList Values(const CClockApp& a)
{
    const auto n = [](qint64 v) { return QString::number(v); };
    const auto c = [](COLORREF v) { return QString::number(v, 16); };
    return {n(a.m_nLeft), n(a.m_nTop), n(a.m_nSize), n(a.m_nOpacity), c(a.m_crClear), c(a.m_crDialBackground),
            c(a.m_crDialFrame), c(a.m_crDialFill), c(a.m_crSecondsFrame), c(a.m_crSecondsFill), c(a.m_crMinuteFrame),
            c(a.m_crMinuteFill), c(a.m_crHourFrame), c(a.m_crHourFill), c(a.m_crDateFrame), c(a.m_crDateFill),
            a.m_strFontFace, n(a.m_bFontItalic), n(a.m_nFontWeight), n(a.m_nDialWidth), n(a.m_nSecondsWidth),
            n(a.m_nMinuteWidth), n(a.m_nHourWidth), n(a.m_nDateWidth), n(a.m_bShowSeconds), n(a.m_bShowDate),
            n(a.m_bShowMonth), n(a.m_bShowDay), n(a.m_bShowAmPm), n(a.m_bShowDial), n(a.m_bTopMost),
            n(a.m_bDateBox), n(a.m_bIniFile), n(a.m_bTrayIcon)};
}

// "Section/Key=value" as an .ini file.
QByteArray Ini(const QString& entry)
{
    const int slash = entry.indexOf(u'/');
    return ('[' + entry.left(slash) + "]\n" + entry.mid(slash + 1) + '\n').toUtf8();
}

// Takes every write, in order; reads give the defaults.
class RecordingStore : public IProfileStore {
public:
    int GetProfileInt(const QString&, const QString&, int def) override { return def; }
    QString GetProfileString(const QString&, const QString&, const QString& def) override { return def; }
    void WriteProfileInt(const QString& s, const QString& k, int v) override { writes << s + '/' + k + " i " + QString::number(v); }
    void WriteProfileString(const QString& s, const QString& k, const QString& v) override { writes << s + '/' + k + " s " + v; }
    QString Location() const override { return QStringLiteral("memory"); }
    QStringList writes;
};

RecordingStore& Record()
{
    auto store = std::make_unique<RecordingStore>();
    RecordingStore& result = *store;
    theApp.SetStoreForTests(std::move(store));
    return result;
}

QSettings Registry() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Tessaline", "vitrodial"); }

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    std::optional<QTemporaryDir> m_dir;
    QString m_module;
    QString m_ini;
    QStringList m_messages;

    void Reset()
    {
        theApp.ResetForTests();
        theApp.SetModulePath(m_module);
        theApp.SetScreenSize(QSize(1280, 1024));
    }

    bool LoadIni(const QByteArray& body)
    {
        if (!WriteAll(m_ini, body) || !theApp.UseIniFile())
            return false;
        theApp.LoadSettings();
        return true;
    }

    bool ReadOnly(const QStringList& paths, const std::function<void()>& action)
    {
        testsupport::ReadOnlyScope scope(paths);
        if (scope.Ok())
            action();
        return scope.Ok();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        platform::SetMessageHandler([this](const QString& text) { m_messages << text; });
    }

    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        testsupport::OpenToAll(m_dir->path());
        m_module = m_dir->filePath(QStringLiteral("vitrodial"));
        m_ini = m_module + QStringLiteral(".ini");
        m_messages.clear();
        Registry().clear();
        Reset();
    }

    void defaults_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QString>("geometry");
        QTest::newRow("1280x1024") << QSize(1280, 1024) << "128 0 1024";
        QTest::newRow("768x1024") << QSize(768, 1024) << "0 0 768";
    }
    // First start, nothing stored anywhere: the .ini store, every default, and
    // nothing written.
    void defaults()
    {
        QFETCH(QSize, screen);
        QFETCH(QString, geometry);
        theApp.SetScreenSize(screen);
        theApp.ChooseStoreAndLoad();
        QCOMPARE(theApp.ProfileName(), m_ini);
        QVERIFY(!QFile::exists(m_ini) && Registry().value("Misc/IniFile").isNull());
        QCOMPARE(theApp.m_bModified, 0);
        QCOMPARE(Values(theApp).join(u' '),
                 geometry + " 128 ffffff ffffff ff0000 ffffff ff0000 ffffff ff0000 ffffff ff0000 ffffff ff0000 "
                            "ffffff Impact 1 400 2 2 2 2 2 1 1 0 1 1 1 1 0 1 1");
    }

    void loadChecks_data()
    {
        QTest::addColumn<QString>("stored"); // Section/Key=value
        QTest::addColumn<QString>("key");    // when not the one stored
        QTest::addColumn<QString>("loaded"); // Hour/Fill was 123 before
        const auto row = [](const char* name, const QString& stored, const QString& loaded, const char* key = "") {
            QTest::newRow(name) << stored << key << loaded;
        };
        row("frame above range", "Dial/Frame=1000000", "ff");
        row("fill above range", "Hour/Fill=ffffffff", "ffffff");
        row("white frame kept", "Seconds/Frame=ffffff", "ffffff");
        row("width 0 kept", "Hour/Width=0", "0");
        row("width 31", "Dial/Width=31", "2");
        row("width -1", "Minute/Width=-1", "2");
        row("width huge", "Date/Width=99999999999", "2");
        row("weight -5", "Font/Weight=-5", "-5");
        row("negative position", "Geometry/Left=-300", "-300");
        row("int text no digits", "Color/Opacity=high", "128");
        row("face trimmed", "Font/Face=  DejaVu Sans ", "DejaVu Sans");
        row("face cut", "Font/Face=" + QString(10000, u'F'), QString(31, u'F'));
        // Left centres the stored size on the screen.
        row("size wider than screen", "Geometry/Size=2000", "0", "Geometry/Left");
        row("size negative", "Geometry/Size=-100", "690", "Geometry/Left");
        row("size int min", "Geometry/Size=-2147483648", "1073742464", "Geometry/Left");
        // Colour texts: an unconvertible one keeps what the member held.
        row("colour prefix", "Hour/Fill=0XAbC", "abc");
        row("colour stops at non-hex", "Hour/Fill=12zz", "12");
        row("colour prefix alone", "Hour/Fill=0x", "0");
        row("colour starts with g", "Hour/Fill=g12", "123");
        row("colour empty", "Hour/Fill=", "123");
        row("colour beyond 32 bits", "Hour/Fill=123456789", "ffffff");
    }
    void loadChecks()
    {
        QFETCH(QString, stored);
        QFETCH(QString, key);
        QFETCH(QString, loaded);
        theApp.m_crHourFill = 0x123;
        QVERIFY(LoadIni(Ini(stored)));
        QCOMPARE(Values(theApp)[kKeys.indexOf(key.isEmpty() ? stored.section(u'=', 0, 0) : key)], loaded);
    }

    void unconvertibleColorIsBlackAtStart()
    {
        QVERIFY(WriteAll(m_ini, "[Dial]\nFrame=zz\n"));
        theApp.ChooseStoreAndLoad();
        QCOMPARE(theApp.m_crDialFrame, COLORREF(0));
    }

    // Each key reaches its own member, and a save writes each member to its own
    // key, in order, integers as integers and the rest as texts.
    void everyKeyToItsMemberAndBack()
    {
        QByteArray file;
        QStringList expected, writes;
        for (int i = 0; i < 34; ++i) {
            expected << (IsInt(i) ? QString::number(i - 10)
                         : i < 16 ? QString::number(0x10101 * (i + 1), 16) : QStringLiteral("Face %1").arg(i));
            file += Ini(kKeys[i] + '=' + expected[i]);
        }
        expected[19] = QStringLiteral("9"); // Dial/Width -1 is out of range
        QVERIFY(LoadIni(file));
        QCOMPARE(Values(theApp), expected);

        RecordingStore& store = Record();
        theApp.m_nDialWidth = 9;
        theApp.m_bModified = 1;
        theApp.SaveSettings();
        for (int i = 0; i < 34; ++i)
            writes << kKeys[i] + (IsInt(i) ? " i " : " s ") + expected[i];
        QCOMPARE(store.writes, writes);
        QCOMPARE(theApp.m_bModified, 0);
    }

    void saveOnlyWhenModified_data()
    {
        QTest::addColumn<int>("modified");
        for (int m : {0, 2, -1, 1})
            QTest::addRow("%d", m) << m;
    }
    void saveOnlyWhenModified()
    {
        QFETCH(int, modified);
        RecordingStore& store = Record();
        theApp.m_bModified = modified;
        theApp.SaveSettings();
        QCOMPARE(store.writes.size(), modified == 1 ? 34 : 0);
        QCOMPARE(theApp.m_bModified, modified == 1 ? 0 : modified);
    }

    // A save and a load give back every value, negative positions included,
    // through either store.
    void roundTrip_data()
    {
        QTest::addColumn<bool>("registry");
        QTest::newRow("ini") << false;
        QTest::newRow("registry") << true;
    }
    void roundTrip()
    {
        QFETCH(bool, registry);
        const auto load = [&] {
            QVERIFY(registry ? theApp.UseRegistry() : theApp.UseIniFile());
            theApp.LoadSettings();
        };
        load();
        theApp.m_nLeft = -150;
        theApp.m_crClear = 0x00FF00;
        theApp.m_crDialFrame = 0;
        theApp.m_strFontFace = QStringLiteral("DejaVu Sans");
        theApp.m_bModified = 1;
        theApp.SaveSettings();
        const QStringList saved = Values(theApp);
        Reset();
        load();
        QCOMPARE(Values(theApp), saved);
        QCOMPARE(ReadAll(m_ini).contains("Clear=ff00\n[Dial]\nBackground=ffffff\nFrame=0\n"), !registry);
    }

    void storeAtStart_data()
    {
        QTest::addColumn<QVariant>("registryIniFile"); // null: no value
        QTest::addColumn<QByteArray>("ini");           // null: no file
        QTest::addColumn<QString>("module");           // how the program's path is
        // m_bIniFile, the registry in force, Top (11 from the registry, 22 from
        // the .ini file), m_bModified
        QTest::addColumn<QString>("outcome");
        const QVariant none;
        const QByteArray ini22 = "[Geometry]\nTop=22\n";
        QTest::newRow("nothing stored") << none << QByteArray() << "ok" << "1 0 0 0";
        QTest::newRow("ini file") << none << ini22 << "ok" << "1 0 22 0";
        QTest::newRow("registry says 7") << QVariant(7) << ini22 << "ok" << "7 0 22 0";
        QTest::newRow("registry says registry") << QVariant(0) << ini22 << "ok" << "0 1 11 0";
        QTest::newRow("ini says registry") << QVariant(1) << "[misc]\ninifile=0\n" + ini22 << "ok" << "0 1 22 0";
        QTest::newRow("path too long, registry says 1") << QVariant(1) << ini22 << "long" << "1 1 11 1";
        QTest::newRow("path too long, no value") << none << ini22 << "long" << "0 1 11 1";
        QTest::newRow("folder missing") << none << QByteArray() << "missing" << "0 1 11 1";
        QTest::newRow("ini is a folder") << none << QByteArray() << "folder" << "0 1 11 1";
    }
    void storeAtStart()
    {
        QFETCH(QVariant, registryIniFile);
        QFETCH(QByteArray, ini);
        QFETCH(QString, module);
        QFETCH(QString, outcome);
        Registry().setValue("Geometry/Top", 11);
        if (!registryIniFile.isNull())
            Registry().setValue("Misc/IniFile", registryIniFile);
        if (!ini.isNull())
            QVERIFY(WriteAll(m_ini, ini));
        const QString dir = m_dir->path();
        if (module == "long")
            theApp.SetModulePath(dir + u'/' + QString(1000 - dir.size() - 11, u'v') + "/vitrodial");
        else if (module == "missing")
            theApp.SetModulePath(dir + "/gone/vitrodial");
        else if (module == "folder")
            QVERIFY(QDir().mkdir(m_ini));

        theApp.ChooseStoreAndLoad();
        const bool registry = theApp.RegistryKey() == "Tessaline";
        QCOMPARE(QStringLiteral("%1 %2 %3 %4").arg(theApp.m_bIniFile).arg(registry).arg(theApp.m_nTop).arg(theApp.m_bModified),
                 outcome);
        QVERIFY(m_messages.isEmpty() && (registry || theApp.RegistryKey().isEmpty()));

        // Saves go to the store in force.
        theApp.m_nTop = 33;
        theApp.m_bModified = 1;
        theApp.SaveSettings();
        QCOMPARE(Registry().value("Geometry/Top").toInt(), registry ? 33 : 11);
        QVERIFY(registry || ReadAll(m_ini).contains("Top=33"));
    }

    void iniPath_data()
    {
        QTest::addColumn<QString>("module"); // below the test's folder
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("name");
        QTest::newRow("no extension") << "vitrodial" << "vitrodial.ini" << "vitrodial";
        QTest::newRow("dotted folder") << "my.app/vitrodial" << "my.app/vitrodial.ini" << "vitrodial";
        QTest::newRow("two dots") << "a.b.exe" << "a.b.ini" << "a.b";
        QTest::newRow("hidden file") << ".vitrodial" << ".vitrodial.ini" << ".vitrodial";
        QTest::newRow("drive-like folder") << "C:/Tools/Vitrodial.exe" << "C:/Tools/Vitrodial.ini" << "Vitrodial";
    }
    void iniPath()
    {
        QFETCH(QString, module);
        QFETCH(QString, ini);
        QFETCH(QString, name);
        QVERIFY(QDir(m_dir->path()).mkpath(QFileInfo(m_dir->filePath(module)).path()));
        theApp.SetModulePath(m_dir->filePath(module));
        QVERIFY(theApp.UseIniFile());
        QCOMPARE(theApp.ProfileName(), m_dir->filePath(ini));
        QCOMPARE(theApp.AppName(), name);
        theApp.UseRegistry();
        QCOMPARE(theApp.ProfileName(), name);
        QCOMPARE(theApp.Store().Location(), m_config.filePath("Tessaline/" + name + ".conf"));
    }

    void iniPathLengthLimits()
    {
        const QString base = m_dir->path() + u'/';
        for (int length : {999, 1000}) {
            theApp.SetModulePath(base + QString(length - base.size() - 4, u'v') + ".exe");
            QCOMPARE(theApp.UseIniFile(), length == 999);
        }
        QCOMPARE(theApp.RegistryKey(), QStringLiteral("Tessaline"));
        QCOMPARE(theApp.ProfileName(), QString(996 - base.size(), u'v'));
        theApp.SetModulePath(QStringLiteral("/ab"));
        QVERIFY(!theApp.UseIniFile());
        theApp.SetModulePath(QStringLiteral("/abc"));
        QVERIFY(theApp.UseIniFile());
        QCOMPARE(theApp.ProfileName(), QStringLiteral("/abc.ini"));
    }

    void useRegistry_data()
    {
        QTest::addColumn<QString>("keyBefore"); // kept; another case is reported
        QTest::newRow("none") << "";
        QTest::newRow("ours") << "Tessaline";
        QTest::newRow("other case") << "tessaline";
    }
    void useRegistry()
    {
        QFETCH(QString, keyBefore);
        QVERIFY(theApp.UseIniFile());
        if (!keyBefore.isEmpty())
            theApp.SetRegistryKey(keyBefore);
        QVERIFY(theApp.UseRegistry());
        QCOMPARE(theApp.RegistryKey(), keyBefore.isEmpty() ? "Tessaline" : keyBefore);
        QCOMPARE(m_messages.join(""), keyBefore == "tessaline" ? "Error: Bad Registry Key found!!!\n" : "");
    }

    // A settings file or folder the user cannot write makes the registry the
    // store, as a bad program path does.
    void unwritableIniFallsBack_data()
    {
        QTest::addColumn<bool>("file"); // else the folder, without a file
        QTest::newRow("read-only folder") << false;
        QTest::newRow("read-only file") << true;
    }
    void unwritableIniFallsBack()
    {
        QFETCH(bool, file);
        QVERIFY(!file || WriteAll(m_ini, "[Geometry]\nTop=22\n"));
        const QStringList readOnly{file ? m_ini : m_dir->path()};
        theApp.m_bIniFile = 1;
        bool result = true;
        if (!ReadOnly(readOnly, [&] { result = theApp.UseIniFile(); }))
            QSKIP("cannot step down from root");
        QVERIFY(!result && m_messages.isEmpty());
        QCOMPARE(theApp.RegistryKey(), QStringLiteral("Tessaline"));
        QCOMPARE(theApp.m_bIniFile + 10 * theApp.m_bModified, 10);
    }

    // A save that cannot be written says so, keeps the file as it was and
    // keeps the settings marked as changed for the next try.
    void failedSaveIsReported()
    {
        const QByteArray before = "; mine\n[Hour]\nWidth=3\n";
        QVERIFY(LoadIni(before));
        theApp.m_nHourWidth = 7;
        theApp.m_bModified = 1;
        if (!ReadOnly({m_dir->path()}, [] { theApp.SaveSettings(); }))
            QSKIP("cannot step down from root");
        QCOMPARE(theApp.m_bModified, 1);
        QCOMPARE(m_messages, QStringList{"Error: Unable to save settings"});
        QCOMPARE(ReadAll(m_ini), before);
        theApp.SaveSettings();
        QCOMPARE(theApp.m_bModified, 0);
        QVERIFY(ReadAll(m_ini).startsWith("; mine\n[Hour]\nWidth=7\n"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
