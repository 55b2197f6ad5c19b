// The settings: defaults, load checks, colour and integer texts, saving, the
// choice of store at start-up, and the settings file's name and fallbacks.

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <optional>

#include "app/ClockApp.h"
#include "app/IniFileStore.h"
#include "platform/MessageBox.h"
#include "unit/SettingsTestSupport.h"

using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

// The stored keys, in the order a save writes them; i: integer, c: colour, t: text.
struct Key {
    const char* section;
    const char* key;
    char kind;
};
constexpr Key kKeys[34] = {
    {"Geometry", "Left", 'i'},   {"Geometry", "Top", 'i'},      {"Geometry", "Size", 'i'},
    {"Color", "Opacity", 'i'},   {"Color", "Clear", 'c'},       {"Dial", "Background", 'c'},
    {"Dial", "Frame", 'c'},      {"Dial", "Fill", 'c'},         {"Seconds", "Frame", 'c'},
    {"Seconds", "Fill", 'c'},    {"Minute", "Frame", 'c'},      {"Minute", "Fill", 'c'},
    {"Hour", "Frame", 'c'},      {"Hour", "Fill", 'c'},         {"Date", "Frame", 'c'},
    {"Date", "Fill", 'c'},       {"Font", "Face", 't'},         {"Font", "Italic", 'i'},
    {"Font", "Weight", 'i'},     {"Dial", "Width", 'i'},        {"Seconds", "Width", 'i'},
    {"Minute", "Width", 'i'},    {"Hour", "Width", 'i'},        {"Date", "Width", 'i'},
    {"Seconds", "Show", 'i'},    {"Date", "Show", 'i'},         {"Date", "Month", 'i'},
    {"Date", "Day", 'i'},        {"Date", "AMPM", 'i'},         {"Dial", "Show", 'i'},
    {"Misc", "TopMost", 'i'},    {"Date", "Box", 'i'},          {"Misc", "IniFile", 'i'},
    {"Misc", "TrayIcon", 'i'},
};

// The members behind kKeys, in the same order, as text (colours in hex).
QStringList Values(const CClockApp& a)
{
    const auto n = [](qint64 v) { return QString::number(v); };
    const auto c = [](COLORREF v) { return QString::number(v, 16); };
    return {n(a.m_nLeft),           n(a.m_nTop),           n(a.m_nSize),          n(a.m_nOpacity),
            c(a.m_crClear),         c(a.m_crDialBackground), c(a.m_crDialFrame),  c(a.m_crDialFill),
            c(a.m_crSecondsFrame),  c(a.m_crSecondsFill),  c(a.m_crMinuteFrame),  c(a.m_crMinuteFill),
            c(a.m_crHourFrame),     c(a.m_crHourFill),     c(a.m_crDateFrame),    c(a.m_crDateFill),
            a.m_strFontFace,        n(a.m_bFontItalic),    n(a.m_nFontWeight),    n(a.m_nDialWidth),
            n(a.m_nSecondsWidth),   n(a.m_nMinuteWidth),   n(a.m_nHourWidth),     n(a.m_nDateWidth),
            n(a.m_bShowSeconds),    n(a.m_bShowDate),      n(a.m_bShowMonth),     n(a.m_bShowDay),
            n(a.m_bShowAmPm),       n(a.m_bShowDial),      n(a.m_bTopMost),       n(a.m_bDateBox),
            n(a.m_bIniFile),        n(a.m_bTrayIcon)};
}

QString Value(const CClockApp& a, const QString& section, const QString& key)
{
    const QStringList values = Values(a);
    for (int i = 0; i < 34; ++i) {
        if (section == QLatin1String(kKeys[i].section) && key == QLatin1String(kKeys[i].key))
            return values[i];
    }
    return QStringLiteral("<no such key>");
}

// Takes every write, in order; reads give the defaults.
class RecordingStore : public IProfileStore {
public:
    int GetProfileInt(const QString&, const QString&, int def) override { return def; }
    QString GetProfileString(const QString&, const QString&, const QString& def) override { return def; }
    void WriteProfileInt(const QString& s, const QString& k, int v) override
    {
        writes << QStringLiteral("%1/%2 i %3").arg(s, k).arg(v);
    }
    void WriteProfileString(const QString& s, const QString& k, const QString& v) override
    {
        writes << QStringLiteral("%1/%2 s %3").arg(s, k, v);
    }
    QString Location() const override { return QStringLiteral("memory"); }

    QStringList writes;
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    std::optional<QTemporaryDir> m_dir;
    QString m_module;
    QString m_ini;
    QStringList m_messages;

    QString Registry() const { return m_config.filePath(QStringLiteral("Tessaline/vitrodial.conf")); }

    void SetRegistry(const QString& key, const QVariant& value)
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tessaline"),
                    QStringLiteral("vitrodial"));
        s.setValue(key, value);
    }
    QVariant RegistryValue(const QString& key) const
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tessaline"),
                    QStringLiteral("vitrodial"));
        return s.value(key);
    }

    // Loads from an .ini file beside the program holding body.
    bool LoadIni(const QByteArray& body)
    {
        if (!WriteAll(m_ini, body) || !theApp.UseIniFile())
            return false;
        theApp.LoadSettings();
        return true;
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
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tessaline"),
                  QStringLiteral("vitrodial"))
            .clear();

        theApp.ResetForTests();
        theApp.SetModulePath(m_module);
        theApp.SetScreenSize(QSize(1280, 1024));
    }

    void constructedStateIsZero()
    {
        for (const QString& v : Values(theApp))
            QVERIFY(v == QLatin1String("0") || v.isEmpty());
        QCOMPARE(theApp.m_bModified, 0);
    }

    void defaults_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QString>("geometry");
        QTest::newRow("1280x1024") << QSize(1280, 1024) << "128 0 1024";
        QTest::newRow("768x1024") << QSize(768, 1024) << "0 0 768";
        QTest::newRow("1024x1024") << QSize(1024, 1024) << "0 0 1024";
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
        QVERIFY(theApp.RegistryKey().isEmpty());
        QVERIFY(!QFile::exists(m_ini));
        QVERIFY(!QFile::exists(Registry()) || RegistryValue(QStringLiteral("Misc/IniFile")).isNull());
        QCOMPARE(theApp.m_bModified, 0);
        const QStringList expected = geometry.split(u' ')
            + QStringList{"128", "ffffff", "ffffff", "ff0000", "ffffff", "ff0000", "ffffff", "ff0000",
                          "ffffff", "ff0000", "ffffff", "ff0000", "ffffff", "Impact", "1", "400", "2",
                          "2", "2", "2", "2", "1", "1", "0", "1", "1", "1", "1", "0", "1", "1"};
        QCOMPARE(Values(theApp), expected);
    }

    void leftFollowsStoredSize_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("left");
        QTest::newRow("wider than screen") << 2000 << 0;
        QTest::newRow("odd") << 1001 << 139;
        QTest::newRow("negative") << -100 << 690;
        QTest::newRow("int max") << INT_MAX << 0;
        QTest::newRow("int min") << INT_MIN << 1073742464;
    }
    void leftFollowsStoredSize()
    {
        QFETCH(int, size);
        QFETCH(int, left);
        QVERIFY(LoadIni("[Geometry]\nSize=" + QByteArray::number(size) + "\n"));
        QCOMPARE(theApp.m_nSize, size);
        QCOMPARE(theApp.m_nLeft, left);
    }

    void loadChecks_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("loaded");

        QTest::newRow("frame above range") << "Dial" << "Frame" << QByteArray("1000000") << "ff";
        QTest::newRow("date frame above range") << "Date" << "Frame" << QByteArray("ffffffff") << "ff";
        QTest::newRow("fill above range") << "Hour" << "Fill" << QByteArray("ffffffff") << "ffffff";
        QTest::newRow("clear above range") << "Color" << "Clear" << QByteArray("1000000") << "ffffff";
        QTest::newRow("background above range") << "Dial" << "Background" << QByteArray("1000000") << "ffffff";
        QTest::newRow("white frame kept") << "Seconds" << "Frame" << QByteArray("ffffff") << "ffffff";
        QTest::newRow("width 0 kept") << "Hour" << "Width" << QByteArray("0") << "0";
        QTest::newRow("width 1") << "Minute" << "Width" << QByteArray("1") << "1";
        QTest::newRow("width 30") << "Seconds" << "Width" << QByteArray("30") << "30";
        QTest::newRow("width 31") << "Dial" << "Width" << QByteArray("31") << "2";
        QTest::newRow("width -5") << "Date" << "Width" << QByteArray("-5") << "2";
        QTest::newRow("width huge") << "Date" << "Width" << QByteArray("99999999999") << "2";
        QTest::newRow("opacity 0") << "Color" << "Opacity" << QByteArray("0") << "0";
        QTest::newRow("opacity 256") << "Color" << "Opacity" << QByteArray("256") << "256";
        QTest::newRow("weight -5") << "Font" << "Weight" << QByteArray("-5") << "-5";
        QTest::newRow("weight 1e9") << "Font" << "Weight" << QByteArray("1000000000") << "1000000000";
        QTest::newRow("size 0") << "Geometry" << "Size" << QByteArray("0") << "0";
        QTest::newRow("negative position") << "Geometry" << "Left" << QByteArray("-300") << "-300";
        QTest::newRow("flag 5 kept") << "Misc" << "TopMost" << QByteArray("5") << "5";
        QTest::newRow("int text no digits") << "Color" << "Opacity" << QByteArray("high") << "128";
        QTest::newRow("face kept") << "Font" << "Face" << QByteArray("  DejaVu Sans ") << "DejaVu Sans";
        QTest::newRow("face cut") << "Font" << "Face" << QByteArray(10000, 'F') << QString(31, u'F');
        QTest::newRow("empty face") << "Font" << "Face" << QByteArray("") << "";
    }
    void loadChecks()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, stored);
        QFETCH(QString, loaded);
        QVERIFY(LoadIni('[' + section.toUtf8() + "]\n" + key.toUtf8() + '=' + stored + '\n'));
        QCOMPARE(Value(theApp, section, key), loaded);
    }

    void colorTextsIn_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("loaded"); // the old value was 123
        QTest::newRow("upper case") << QByteArray("FF") << "ff";
        QTest::newRow("prefix") << QByteArray("0x00ff00") << "ff00";
        QTest::newRow("upper prefix") << QByteArray("0XAbC") << "abc";
        QTest::newRow("stops at non-hex") << QByteArray("12zz") << "12";
        QTest::newRow("prefix alone") << QByteArray("0x") << "0";
        QTest::newRow("starts with g") << QByteArray("g12") << "123";
        QTest::newRow("empty") << QByteArray("") << "123";
        QTest::newRow("beyond 32 bits") << QByteArray("123456789") << "ffffff";
        QTest::newRow("minus one") << QByteArray("-1") << "ffffff";
    }
    // Hour/Fill: an unconvertible text keeps what the member held.
    void colorTextsIn()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, loaded);
        theApp.m_crHourFill = 0x123;
        QVERIFY(LoadIni("[Hour]\nFill=" + text + "\n"));
        QCOMPARE(QString::number(theApp.m_crHourFill, 16), loaded);
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
        QStringList expected;
        for (int i = 0; i < 34; ++i) {
            const QString value = kKeys[i].kind == 'c' ? QString::number(0x10101 * (i + 1), 16)
                : kKeys[i].kind == 't'                 ? QStringLiteral("Face %1").arg(i)
                                                       : QString::number(i - 10);
            expected << value;
            file += QStringLiteral("[%1]\n%2=%3\n").arg(kKeys[i].section, kKeys[i].key, value).toUtf8();
        }
        expected[19] = QStringLiteral("9"); // Dial/Width -1 is out of range
        QVERIFY(LoadIni(file));
        QCOMPARE(Values(theApp), expected);

        auto recorder = std::make_unique<RecordingStore>();
        RecordingStore& store = *recorder;
        theApp.SetStoreForTests(std::move(recorder));
        theApp.m_nDialWidth = 9;
        theApp.m_bModified = 1;
        theApp.SaveSettings();
        QStringList writes;
        for (int i = 0; i < 34; ++i)
            writes << QStringLiteral("%1/%2 %3 %4")
                          .arg(kKeys[i].section, kKeys[i].key, kKeys[i].kind == 'i' ? "i" : "s", expected[i]);
        QCOMPARE(store.writes, writes);
        QCOMPARE(theApp.m_bModified, 0);
    }

    void colorTextsOut()
    {
        QVERIFY(theApp.UseIniFile());
        theApp.LoadSettings();
        theApp.m_crDialFrame = 0;
        theApp.m_crHourFrame = 0x0000FF;
        theApp.m_crDateFrame = 0xFF0000;
        theApp.m_bModified = 1;
        theApp.SaveSettings();
        const QByteArray file = ReadAll(m_ini);
        QVERIFY(file.contains("[Dial]\nBackground=ffffff\nFrame=0\n"));
        QVERIFY(file.contains("[Hour]\nFrame=ff\n"));
        QVERIFY(file.contains("[Date]\nFrame=ff0000\n"));
    }

    void saveOnlyWhenModified_data()
    {
        QTest::addColumn<int>("modified");
        QTest::addColumn<bool>("writes");
        QTest::newRow("0") << 0 << false;
        QTest::newRow("2") << 2 << false;
        QTest::newRow("-1") << -1 << false;
        QTest::newRow("1") << 1 << true;
    }
    void saveOnlyWhenModified()
    {
        QFETCH(int, modified);
        QFETCH(bool, writes);
        auto recorder = std::make_unique<RecordingStore>();
        RecordingStore& store = *recorder;
        theApp.SetStoreForTests(std::move(recorder));
        theApp.m_bModified = modified;
        theApp.SaveSettings();
        QCOMPARE(store.writes.size(), writes ? 34 : 0);
        QCOMPARE(theApp.m_bModified, writes ? 0 : modified);
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
        if (registry)
            theApp.UseRegistry();
        else
            QVERIFY(theApp.UseIniFile());
        theApp.LoadSettings();
        theApp.m_nLeft = -150;
        theApp.m_nTop = -2;
        theApp.m_nSize = 333;
        theApp.m_crClear = 0x00FF00;
        theApp.m_strFontFace = QStringLiteral("DejaVu Sans");
        theApp.m_nHourWidth = 0;
        theApp.m_bShowMonth = 1;
        theApp.m_bModified = 1;
        theApp.SaveSettings();
        const QStringList saved = Values(theApp);

        theApp.ResetForTests();
        theApp.SetModulePath(m_module);
        theApp.SetScreenSize(QSize(1280, 1024));
        if (registry)
            theApp.UseRegistry();
        else
            QVERIFY(theApp.UseIniFile());
        theApp.LoadSettings();
        QCOMPARE(Values(theApp), saved);
        QCOMPARE(QFile::exists(m_ini), !registry);
    }

    void storeAtStart_data()
    {
        QTest::addColumn<QVariant>("registryIniFile"); // null: no value
        QTest::addColumn<QByteArray>("ini");           // null: no file
        QTest::addColumn<QString>("module");           // how the program's path is
        QTest::addColumn<int>("iniFile");
        QTest::addColumn<bool>("registryInForce");
        QTest::addColumn<int>("top"); // 11 from the registry, 22 from the .ini file
        QTest::addColumn<int>("modified");

        const QVariant none;
        const QByteArray ini22 = "[Geometry]\nTop=22\n";
        QTest::newRow("nothing stored") << none << QByteArray() << "ok" << 1 << false << 0 << 0;
        QTest::newRow("ini file") << none << ini22 << "ok" << 1 << false << 22 << 0;
        QTest::newRow("registry says ini") << QVariant(1) << ini22 << "ok" << 1 << false << 22 << 0;
        QTest::newRow("registry says 7") << QVariant(7) << ini22 << "ok" << 7 << false << 22 << 0;
        QTest::newRow("registry says registry") << QVariant(0) << ini22 << "ok" << 0 << true << 11 << 0;
        QTest::newRow("ini says registry")
            << QVariant(1) << "[misc]\ninifile=0\n" + ini22 << "ok" << 0 << true << 22 << 0;
        QTest::newRow("path too long, registry says 1") << QVariant(1) << ini22 << "long" << 1 << true << 11 << 1;
        QTest::newRow("path too long, no value") << none << ini22 << "long" << 0 << true << 11 << 1;
        QTest::newRow("folder missing") << none << QByteArray() << "missing" << 0 << true << 11 << 1;
        QTest::newRow("ini is a folder") << none << QByteArray() << "folder" << 0 << true << 11 << 1;
    }
    void storeAtStart()
    {
        QFETCH(QVariant, registryIniFile);
        QFETCH(QByteArray, ini);
        QFETCH(QString, module);
        QFETCH(int, iniFile);
        QFETCH(bool, registryInForce);
        QFETCH(int, top);
        QFETCH(int, modified);

        SetRegistry(QStringLiteral("Geometry/Top"), 11);
        if (!registryIniFile.isNull())
            SetRegistry(QStringLiteral("Misc/IniFile"), registryIniFile);
        if (!ini.isNull())
            QVERIFY(WriteAll(m_ini, ini));
        if (module == QLatin1String("long"))
            theApp.SetModulePath(m_dir->path() + u'/' + QString(1000 - m_dir->path().size() - 11, u'v')
                                 + QStringLiteral("/vitrodial"));
        else if (module == QLatin1String("missing"))
            theApp.SetModulePath(m_dir->filePath(QStringLiteral("gone/vitrodial")));
        else if (module == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(m_ini));

        theApp.ChooseStoreAndLoad();
        QCOMPARE(theApp.m_bIniFile, iniFile);
        QCOMPARE(theApp.RegistryKey(), registryInForce ? QStringLiteral("Tessaline") : QString());
        QCOMPARE(theApp.m_nTop, top);
        QCOMPARE(theApp.m_bModified, modified);
        QVERIFY(m_messages.isEmpty());

        // Saves go to the store in force.
        theApp.m_nTop = 33;
        theApp.m_bModified = 1;
        theApp.SaveSettings();
        QCOMPARE(RegistryValue(QStringLiteral("Geometry/Top")).toInt(), registryInForce ? 33 : 11);
        if (!registryInForce)
            QVERIFY(ReadAll(m_ini).contains("Top=33"));
    }

    void iniPath_data()
    {
        QTest::addColumn<QString>("module"); // below the test's folder
        QTest::addColumn<QString>("ini");
        QTest::newRow("no extension") << "vitrodial" << "vitrodial.ini";
        QTest::newRow("exe") << "Vitrodial.exe" << "Vitrodial.ini";
        QTest::newRow("dotted folder") << "my.app/vitrodial" << "my.app/vitrodial.ini";
        QTest::newRow("two dots") << "a.b.exe" << "a.b.ini";
        QTest::newRow("hidden file") << ".vitrodial" << ".vitrodial.ini";
        QTest::newRow("drive-like folder") << "C:/Tools/Vitrodial.exe" << "C:/Tools/Vitrodial.ini";
    }
    void iniPath()
    {
        QFETCH(QString, module);
        QFETCH(QString, ini);
        QVERIFY(QDir(m_dir->path()).mkpath(QFileInfo(m_dir->filePath(module)).path()));
        theApp.SetModulePath(m_dir->filePath(module));
        QVERIFY(theApp.UseIniFile());
        QCOMPARE(theApp.ProfileName(), m_dir->filePath(ini));
    }

    void iniPathLengthLimits()
    {
        const QString base = m_dir->path() + u'/';
        theApp.SetModulePath(base + QString(999 - base.size() - 4, u'v') + ".exe");
        QVERIFY(theApp.UseIniFile());
        QCOMPARE(theApp.ProfileName().size(), 999);

        theApp.SetModulePath(base + QString(1000 - base.size() - 4, u'v') + ".exe");
        QVERIFY(!theApp.UseIniFile());
        QCOMPARE(theApp.RegistryKey(), QStringLiteral("Tessaline"));
        QCOMPARE(theApp.ProfileName(), QString(1000 - base.size() - 4, u'v'));

        theApp.SetModulePath(QStringLiteral("/ab"));
        QVERIFY(!theApp.UseIniFile());
        theApp.SetModulePath(QStringLiteral("/abc"));
        QVERIFY(theApp.UseIniFile());
        QCOMPARE(theApp.ProfileName(), QStringLiteral("/abc.ini"));
    }

    void appName_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("name");
        QTest::newRow("linux") << "/opt/vitrodial/vitrodial" << "vitrodial";
        QTest::newRow("windows") << "C:/Tools/Vitrodial.exe" << "Vitrodial";
        QTest::newRow("dotted folder") << "/opt/v.2/vitrodial" << "vitrodial";
    }
    void appName()
    {
        QFETCH(QString, module);
        QFETCH(QString, name);
        theApp.SetModulePath(module);
        QCOMPARE(theApp.AppName(), name);
        theApp.UseRegistry();
        QCOMPARE(theApp.ProfileName(), name);
        QCOMPARE(theApp.Store().Location(), m_config.filePath(QStringLiteral("Tessaline/") + name + ".conf"));
    }

    void useRegistry_data()
    {
        QTest::addColumn<QString>("keyBefore");
        QTest::addColumn<QString>("keyAfter");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("none") << "" << "Tessaline" << QStringList();
        QTest::newRow("ours") << "Tessaline" << "Tessaline" << QStringList();
        QTest::newRow("other case") << "tessaline" << "tessaline"
                                    << QStringList{QStringLiteral("Error: Bad Registry Key found!!!\n")};
    }
    void useRegistry()
    {
        QFETCH(QString, keyBefore);
        QFETCH(QString, keyAfter);
        QFETCH(QStringList, messages);
        QVERIFY(theApp.UseIniFile());
        if (!keyBefore.isEmpty())
            theApp.SetRegistryKey(keyBefore);
        QVERIFY(theApp.UseRegistry());
        QCOMPARE(theApp.RegistryKey(), keyAfter);
        QCOMPARE(m_messages, messages);
    }

    // A settings file or folder the user cannot write makes the registry the
    // store, as a bad program path does.
    void unwritableIniFallsBack_data()
    {
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<bool>("folderReadOnly");
        QTest::newRow("read-only folder, no file") << false << true;
        QTest::newRow("read-only file") << true << false;
        QTest::newRow("read-only folder and file") << true << true;
    }
    void unwritableIniFallsBack()
    {
        QFETCH(bool, fileExists);
        QFETCH(bool, folderReadOnly);
        QStringList readOnly;
        if (fileExists) {
            QVERIFY(WriteAll(m_ini, "[Geometry]\nTop=22\n"));
            readOnly << m_ini;
        }
        if (folderReadOnly)
            readOnly << m_dir->path();
        theApp.m_bIniFile = 1;
        bool result = true;
        {
            testsupport::ReadOnlyScope scope(readOnly);
            if (!scope.Ok())
                QSKIP("cannot step down from root");
            result = theApp.UseIniFile();
        }
        QVERIFY(!result);
        QCOMPARE(theApp.RegistryKey(), QStringLiteral("Tessaline"));
        QCOMPARE(theApp.m_bIniFile, 0);
        QCOMPARE(theApp.m_bModified, 1);
        QVERIFY(m_messages.isEmpty());
    }

    // A save that cannot be written says so, keeps the file as it was and
    // keeps the settings marked as changed for the next try.
    void failedSaveIsReported()
    {
        const QByteArray before = "; mine\n[Hour]\nWidth=3\n";
        QVERIFY(WriteAll(m_ini, before));
        QVERIFY(theApp.UseIniFile());
        theApp.LoadSettings();
        theApp.m_nHourWidth = 7;
        theApp.m_bModified = 1;
        {
            testsupport::ReadOnlyScope scope({m_dir->path()});
            if (!scope.Ok())
                QSKIP("cannot step down from root");
            theApp.SaveSettings();
        }
        QCOMPARE(theApp.m_bModified, 1);
        QCOMPARE(m_messages, QStringList{QStringLiteral("Error: Unable to save settings")});
        QCOMPARE(ReadAll(m_ini), before);

        theApp.SaveSettings();
        QCOMPARE(theApp.m_bModified, 0);
        QVERIFY(ReadAll(m_ini).startsWith("; mine\n[Hour]\nWidth=7\n"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
