// The settings: defaults, load checks, colour texts, the choice of store at
// start-up, saving to it whatever the file is or lies on, and the file's name.

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <utility>
#include <variant>

#include <sys/mount.h>
#include <sys/stat.h>

#include "platform/MessageBox.h"
#include "unit/SettingsTestSupport.h"

using namespace testsupport;

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    std::optional<QTemporaryDir> m_dir;
    QString m_ini;
    QStringList m_messages;
    QString m_mount; // a small file system mounted by the test

    // Loads a file of "Section/Key=value" entries, each under its own section header.
    bool LoadIni(const QStringList& entries)
    {
        QByteArray file;
        for (QString e : entries)
            file += ('[' + e.replace(u'/', "]\n") + '\n').toUtf8();
        return WriteAll(m_ini, file) && theApp.UseIniFile() && (theApp.LoadSettings(), true);
    }

    static QStringList FirstLines(QStringList messages)
    {
        for (QString& m : messages)
            m = m.section(u'\n', 0, 0);
        return messages;
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        platform::SetMessageHandler([this](const QString& text) { m_messages << text; });
    }

    void init()
    {
        m_dir.emplace();
        m_ini = m_dir->filePath(QStringLiteral("vitrodial.ini"));
        m_messages.clear();
        QDir(m_config.filePath("Tessaline")).removeRecursively();
        // The maker's file shared by all its programs, which the per-user store never reads.
        WriteAll(m_config.filePath("Tessaline.conf"), "[Misc]\nIniFile=0\n[Geometry]\nTop=99\nSize=99\n");
        theApp.ResetForTests();
        theApp.SetModulePath(m_dir->filePath(QStringLiteral("vitrodial")));
        theApp.SetScreenSize(QSize(1280, 1024));
    }

    void cleanup()
    {
        if (!m_mount.isEmpty())
            ::umount2(QFile::encodeName(std::exchange(m_mount, QString())).constData(), MNT_DETACH);
    }

    // Every colour and every width stored with the same text, over a file
    // that held colour 123 and width 5: a colour text that does not convert
    // keeps the old value, an integer text without digits gives the default.
    void loadChecks_data()
    {
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("frameLoaded"); // out of range: red
        QTest::addColumn<QString>("otherLoaded"); // any other colour; out of range: white
        QTest::addColumn<QString>("widthLoaded");
        const auto row = [](const char* name, const char* colour, const char* width, const char* frame,
                            const char* other, const char* widthLoaded) {
            QTest::newRow(name) << QString(colour) << QString(width) << QString(frame) << QString(other)
                                << QString(widthLoaded);
        };
        row("above range", "1000000", "31", "ff", "ffffff", "2");
        row("32 bits", "ffffffff", "-1", "ff", "ffffff", "2");
        row("top of range, sign", "ffffff", "+30", "ffffff", "ffffff", "30");
        row("upper case, blanks", "FF", " \t0", "ff", "ff", "0");
        row("prefix, trailing text", "0x00fF00", "1px", "ff00", "ff00", "1");
        row("no digit", "g12", "x1", "123", "123", "2");
        row("empty", "", "", "123", "123", "2");
    }
    void loadChecks()
    {
        QFETCH(QString, colour);
        QFETCH(QString, width);
        QFETCH(QString, frameLoaded);
        QFETCH(QString, otherLoaded);
        QFETCH(QString, widthLoaded);
        QStringList checked, before, after, want;
        for (const settings::Setting& s : settings::kSettings) {
            const QString key = QString::fromLatin1(s.section) + u'/' + QString::fromLatin1(s.key);
            const bool isWidth = s.check == settings::LoadCheck::Width;
            if (!isWidth && !std::holds_alternative<settings::ColorMember>(s.member))
                continue;
            checked << key;
            before << key + (isWidth ? "=5" : "=123");
            after << key + '=' + (isWidth ? width : colour);
            want << key + ' '
                        + (isWidth                                      ? widthLoaded
                           : s.check == settings::LoadCheck::ColorOrRed ? frameLoaded
                                                                        : otherLoaded);
        }
        QCOMPARE(checked.size(), 12 + 5);
        QVERIFY(LoadIni(before) && LoadIni(after));
        const QStringList loaded = ValuesOf(theApp, checked);
        for (qsizetype i = 0; i < checked.size(); ++i)
            QCOMPARE(checked[i] + ' ' + loaded[i], want[i]);
    }

    // Each key reaches its own member.
    void everyKeyLoaded()
    {
        QStringList values, entries;
        int n = 0;
        for (const settings::Setting& s : settings::kSettings) {
            ++n;
            values << (std::holds_alternative<settings::ColorMember>(s.member)  ? QString::number(n * 0x10101, 16)
                       : std::holds_alternative<settings::TextMember>(s.member) ? QStringLiteral("Face %1").arg(n)
                                                                                : QString::number(n - 10));
            entries << kKeys[n - 1] + '=' + values.back();
        }
        QVERIFY(LoadIni(entries));
        QCOMPARE(Values(theApp), values);
    }

    void startAndSave_data()
    {
        QTest::addColumn<QByteArray>("conf"); // the per-user store's file; null: none
        QTest::addColumn<QByteArray>("ini");  // null: none
        QTest::addColumn<QString>("medium");  // what is odd, and about which file
        // After loading:
        QTest::addColumn<bool>("perUser"); // the per-user store is in force
        QTest::addColumn<int>("iniFile");  // m_bIniFile
        QTest::addColumn<int>("top");      // m_nTop
        QTest::addColumn<int>("modified"); // m_bModified
        // Then:
        QTest::addColumn<bool>("saved");
        const QByteArray conf = "[Geometry]\nTop=11\n", ini = "[Geometry]\nTop=22\n", big(6000, ';');
        const QByteArray confSays0 = conf + "[Misc]\nIniFile=0\n", confSays1 = conf + "[Misc]\nIniFile=1\n";
        enum Store { Ini, PerUser };
        enum Save { Fails, Saved };
        const auto row = [](const char* name, const QByteArray& c, const QByteArray& i, const char* medium, Store store,
                            int iniFile, int top, int modified, Save save) {
            QTest::newRow(name) << c << i << QString(medium) << (store == PerUser) << iniFile << top << modified
                                << (save == Saved);
        };
        row("nothing stored", {}, {}, "", Ini, 1, 0, 0, Saved);
        row("nothing stored, narrow screen", {}, {}, "narrow", Ini, 1, 0, 0, Saved);
        row("ini file", conf, ini, "", Ini, 1, 22, 0, Saved);
        row("per-user store says per-user", confSays0, ini, "", PerUser, 0, 11, 0, Saved);
        row("ini says per-user", confSays1, "[misc]\ninifile=0\n" + ini, "", PerUser, 0, 22, 0, Saved);
        // The program's path with its extension made "ini", unless it has 1000 bytes or more.
        row("path of 999 bytes", conf, ini, "999", Ini, 1, 22, 0, Saved);
        row("path of 1000, per-user says 1", confSays1, ini, "1000", PerUser, 1, 11, 1, Saved);
        row("path of 1000, no value", conf, ini, "1000", PerUser, 0, 11, 1, Saved);
        row("ini in a read-only folder", conf, ini, "read-only ini", PerUser, 0, 11, 1, Saved);
        row("per-user, malformed lines", "noequals\n[Misc\n" + confSays0, ini, "", PerUser, 0, 11, 0, Saved);
        row("ini, full disk", conf, big + '\n' + ini, "full ini", Ini, 1, 22, 0, Fails);
        row("per-user, full disk", big + '\n' + confSays0, ini, "full conf", PerUser, 0, 11, 0, Fails);
        // What is not a file is never waited on: the other store takes over.
        row("per-user is a FIFO", {}, ini, "fifo conf", Ini, 1, 22, 0, Saved);
        row("ini is a FIFO", conf, {}, "fifo ini", PerUser, 0, 11, 1, Saved);
        row("ini links to a device", conf, {}, "device ini", PerUser, 0, 11, 1, Saved);
    }
    // The store chosen at start-up, and a save to it, made only when m_bModified
    // is exactly 1: one that fails says so, keeps the old file byte for byte and
    // keeps the settings marked changed.
    void startAndSave()
    {
        QFETCH(QByteArray, conf);
        QFETCH(QByteArray, ini);
        QFETCH(QString, medium);
        QFETCH(bool, perUser);
        QFETCH(int, iniFile);
        QFETCH(int, top);
        QFETCH(int, modified);
        QFETCH(bool, saved);
        if (medium.startsWith("9") || medium.startsWith("1")) {
            QString folder = m_dir->path() + u'/' + QString(medium.toInt() - m_dir->path().size() - 15, u'v');
            for (qsizetype i = m_dir->path().size() + 200; i < folder.size(); i += 200)
                folder[i] = u'/'; // names of 199 bytes
            theApp.SetModulePath(folder + "/vitrodial.exe");
            m_ini = folder + "/vitrodial.ini";
            QVERIFY(QDir().mkpath(folder));
        }
        const QString confPath = m_config.filePath("Tessaline/vitrodial.conf");
        const QString odd = medium.endsWith("conf") ? confPath : m_ini;
        const QByteArray folder = QFile::encodeName(QFileInfo(odd).path());
        QVERIFY(QDir().mkpath(m_config.filePath("Tessaline")));
        // A file system of 64 KiB over the folder: read-only, or full but for 4 KiB.
        const bool small = medium.startsWith("full") || medium.startsWith("read-only");
        if (small && ::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=64k,mode=0755") != 0)
            QSKIP("cannot mount a file system");
        m_mount = small ? QFileInfo(odd).path() : QString();
        QVERIFY((conf.isNull() || WriteAll(confPath, conf)) && (ini.isNull() || WriteAll(m_ini, ini)));
        QFile filler(m_mount + "/filler");
        if (medium.startsWith("full") && filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            while (filler.write(QByteArray(4096, 'f')) == 4096) {}
            QVERIFY(filler.resize(filler.size() - 4096));
        }
        if (medium.startsWith("read-only"))
            QVERIFY(::mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0);
        QVERIFY(medium.startsWith("fifo") ? ::mkfifo(QFile::encodeName(odd).constData(), 0644) == 0
                                          : !medium.startsWith("device") || QFile::link("/dev/zero", odd));

        if (medium == "narrow")
            theApp.SetScreenSize(QSize(768, 1024));

        theApp.ChooseStoreAndLoad();
        QCOMPARE(theApp.RegistryKey() == "Tessaline", perUser);
        QCOMPARE(theApp.m_bIniFile, iniFile);
        QCOMPARE(theApp.m_nTop, top);
        QCOMPARE(theApp.m_bModified, modified);
        // Every other setting takes its default, and loading writes nothing.
        QStringList others = Values(theApp);
        others.removeAt(kKeys.indexOf("Misc/IniFile")), others.removeAt(kKeys.indexOf("Geometry/Top"));
        QCOMPARE(others.join(u' '), (medium == "narrow" ? "0 768" : "128 1024")
                                        + QStringLiteral(" 128 ffffff ffffff ff0000 ffffff ff0000 ffffff ff0000 ffffff "
                                                         "ff0000 ffffff ff0000 ffffff Impact 1 400 "
                                                         "2 2 2 2 2 1 1 0 1 1 1 1 0 1"));
        QVERIFY(!conf.isNull() || medium.endsWith("conf") || !QFile::exists(confPath));
        QVERIFY(!ini.isNull() || medium.endsWith("ini") || !QFile::exists(m_ini));

        const QByteArray confBefore = ReadAll(confPath), iniBefore = ReadAll(m_ini);
        theApp.m_nTop = -33; // negative positions too
        theApp.m_bModified = 2;
        theApp.SaveSettings();
        QVERIFY(theApp.m_bModified == 2 && ReadAll(confPath) == confBefore && ReadAll(m_ini) == iniBefore);
        theApp.m_bModified = 1;
        theApp.SaveSettings();
        QCOMPARE(theApp.m_bModified, saved ? 0 : 1);
        QCOMPARE(FirstLines(m_messages), saved ? QStringList() : QStringList{"Error: Unable to save settings"});
        QCOMPARE(ReadAll(confPath) == confBefore, !saved || !perUser);
        QCOMPARE(ReadAll(m_ini) == iniBefore, !saved || perUser);
        theApp.LoadSettings();
        QCOMPARE(theApp.m_nTop, saved ? -33 : top);
    }

    // A settings file that failed to read at start is said so once, the clock
    // runs on the defaults, and no save of this run writes over the file, not
    // even after the store was switched away and back; the next start reads it.
    void unreadFileNeverWrittenOver()
    {
        const QByteArray ini = "[Geometry]\nLeft=10\nSize=300\n[Color]\nClear=00ff00\n";
        QVERIFY(WriteAll(m_ini, ini));
        FailingDisk disk(LLONG_MAX, true);
        theApp.SetDiskForTests(&disk);
        theApp.ChooseStoreAndLoad();
        const QStringList read = {"Geometry/Left", "Geometry/Size", "Color/Clear"};
        QCOMPARE(ValuesOf(theApp, read), QStringList({"128", "1024", "ffffff"}));
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].startsWith("Error: Unable to read settings\n" + m_ini + ": Input/output error\n"));

        theApp.m_bModified = 1;
        theApp.SaveSettings();
        theApp.m_bIniFile = 0, theApp.m_bModified = 1; // to the per-user store, as the Misc page does
        theApp.SaveSettings();
        theApp.m_bModified = 1;
        theApp.UseRegistry();
        theApp.m_bIniFile = 1, theApp.m_bModified = 1; // and back
        theApp.SaveSettings();
        theApp.m_bModified = 1;
        QVERIFY(theApp.UseIniFile());
        theApp.SaveSettings();
        QCOMPARE(FirstLines(m_messages).mid(1), QStringList(3, "Error: Unable to save settings"));
        QVERIFY2(m_messages[3].contains("It is read again at the next start."), qPrintable(m_messages[3]));
        QCOMPARE(ReadAll(m_ini), ini);
        QCOMPARE(m_messages.size(), 4); // the file's reading is told once

        theApp.ResetForTests();
        theApp.SetModulePath(m_dir->filePath(QStringLiteral("vitrodial")));
        theApp.ChooseStoreAndLoad();
        QCOMPARE(ValuesOf(theApp, read), QStringList({"10", "300", "ff00"}));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
