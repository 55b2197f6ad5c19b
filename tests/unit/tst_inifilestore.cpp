// The .ini store: the profile format as read, what a save keeps and in which
// form, that a save either replaces the whole file or leaves it as it was
// wherever the disk fails, and what interrupted saves left behind.

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/IniFileStore.h"
#include "unit/SettingsTestSupport.h"

using namespace testsupport;

class TestIniFileStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath("vitrodial.ini");

    // The writes of one save.
    static bool Save(IniFileStore&& store)
    {
        store.BeginWrite();
        store.WriteProfileInt("Geometry", "Left", -20);
        store.WriteProfileInt("Geometry", "Top", 30);
        store.WriteProfileString("Font", "Face", " \"Impact\"\nx");
        store.WriteProfileString("Font", "Style", "\"Bold\"");
        return store.Commit();
    }

private slots:
    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected"); // Hour/Width, "<def>" when absent
        QTest::newRow("any case, blanks") << QByteArray("  [ hOUR ]  \n\t wIDTH \t=  a b  \n") << "a b";
        QTest::newRow("one pair of quotes dropped") << QByteArray("[Hour]\nWidth= \"\" 5 \"\" \n") << "\" 5 \"";
        QTest::newRow("list or variant syntax") << QByteArray("[Hour]\nWidth=@Variant(\\0), B\n") << "@Variant(\\0), B";
        QTest::newRow("first key and section win") << QByteArray("[Hour]\nWidth=5\nwidth=6\n[hour]\nWidth=7\n") << "5";
        QTest::newRow("other section, comment") << QByteArray("[Dial]\nWidth=5\n[Hour]\n;Width=6\n") << "<def>";
        QTest::newRow("UTF-16LE, CR LF") << InForm("[Hour]\nWidth=\u00e9\n", "UTF-16LE CR LF") << "\u00e9";
        // A byte order mark is one only where the file starts.
        QTest::newRow("mark starts the file") << QByteArray("\xEF\xBB\xBF[Hour]\nWidth=5\n") << "5";
        QTest::newRow("mark starts a name") << QByteArray("[Hour]\n\xEF\xBB\xBFWidth=5\n") << "<def>";
        QTest::newRow("UTF-16, mark starts a name") << InForm("[Hour]\n\uFEFFWidth=5\n", "UTF-16BE") << "<def>";
        const QByteArray binary("\x00\xff[\x01]\n\x00=\x00\n[Hour]\n\xff\x00\n", 20);
        QTest::newRow("binary bytes, 1 MB line") << binary + QByteArray(1 << 20, 'x') + "\nWidth=5\n" << QString("5");
    }
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QVERIFY(WriteAll(m_path, file));
        QCOMPARE(IniFileStore(m_path).GetProfileString("Hour", "Width", "<def>"), expected);
    }

    void saving_data()
    {
        QTest::addColumn<QString>("form");
        for (const char* form : {"LF", "CR LF", "CR", "BOM LF", "UTF-16LE CR LF", "UTF-16BE LF"})
            QTest::newRow(form) << form;
    }
    // Replaced keys keep their place, missing keys join the end of their section
    // (before its closing blank lines), missing sections are appended, every
    // other byte stays, and what is added takes the file's line end and
    // encoding; a value that would not read back as it is goes in quotes.
    // A disk that fails at any point of the new file, or when it is flushed,
    // leaves the old file byte for byte and nothing else beside it.
    void saving()
    {
        QFETCH(QString, form);
        const QByteArray before = InForm("; clock \u00e9\n[geometry]\nLEFT = 5 \nUnknown=keep me\nleft=6\n\n"
                                         "[Other]\nTop=1\n[Geometry]\nTop=2",
                                         form);
        const QByteArray after = InForm("; clock \u00e9\n[geometry]\nLeft=-20\nUnknown=keep me\nleft=6\nTop=30\n"
                                        "\n[Other]\nTop=1\n[Geometry]\nTop=2\n[Font]\n"
                                        "Face=\" \"Impact\" x\"\nStyle=\"\"Bold\"\"\n",
                                        form);
        QVERIFY(WriteAll(m_path, before));
        for (qint64 budget = 0; budget <= after.size(); ++budget) {
            FailingDisk disk(budget);
            QVERIFY2(!Save(IniFileStore(m_path, &disk)), qPrintable(QString::number(budget)));
            QCOMPARE(ReadAll(m_path), before);
            QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"vitrodial.ini"});
        }
        QVERIFY(Save(IniFileStore(m_path)));
        QCOMPARE(ReadAll(m_path), after);
    }

    // A save tidies what earlier interrupted saves of the same file left, and
    // nothing else: not a user's own files named after the settings file.
    void leftoversRemoved()
    {
        QTemporaryDir dir;
        const bool root = ::geteuid() == 0; // to give a file to another user
        const std::tuple<const char*, char, int, bool> entries[] = {
            // name, kind, age in seconds, removed
            {".vitrodial.ini.vitrodial-save-a1B2c3", 'f', 3600, true}, // an interrupted save's
            {".vitrodial.ini.vitrodial-save-d4E5f6", 'f', 0, false},   // a save still running
            {"vitrodial.ini.backup", 'f', 3600, false},
            {"vitrodial.ini.2024q1", 'f', 3600, false},
            {".vitrodial.ini.vitrodial-save-a1B2c", 'f', 3600, false},
            {".vitrodial.conf.vitrodial-save-a1B2c3", 'f', 3600, false},
            {".vitrodial.ini.vitrodial-save-link00", 'l', 3600, false}, // to an old file of this user's
            {".vitrodial.ini.vitrodial-save-nobody", root ? 'u' : 'f', 3600, !root},
        };
        for (const auto& [file, kind, age, removed] : entries) {
            const QString path = dir.filePath(file);
            const QByteArray name = QFile::encodeName(path);
            const timespec then{::time(nullptr) - age, 0}, times[2] = {then, then};
            QVERIFY(kind == 'l' ? QFile::link(dir.filePath("vitrodial.ini.backup"), path) : WriteAll(path, "x"));
            QVERIFY(kind != 'u' || ::chown(name.constData(), 65534, 65534) == 0);
            QVERIFY(::utimensat(AT_FDCWD, name.constData(), times, AT_SYMLINK_NOFOLLOW) == 0);
        }
        IniFileStore(dir.filePath("vitrodial.ini")).WriteProfileInt("Hour", "Width", 9);
        for (const auto& [file, kind, age, removed] : entries)
            QVERIFY2(QFileInfo::exists(dir.filePath(file)) != removed, file);
    }

    void links_data()
    {
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("othersLink");   // the link is another user's
        QTest::addColumn<bool>("othersTarget"); // the file it leads to is another user's
        QTest::addColumn<bool>("followed");
        QTest::newRow("own link, private folder") << 0700 << false << false << true;
        QTest::newRow("folder others may write") << 01777 << false << false << false;
        QTest::newRow("folder its group may write") << 0770 << false << false << false;
        QTest::newRow("another user's link") << 0700 << true << false << false;
        QTest::newRow("to another user's file") << 0700 << false << true << false;
    }
    // A link at the settings path is read through only when nobody else could
    // have planted it; a save never writes into the file it leads to, but
    // replaces the link itself (as it replaces a file) with the settings.
    void links()
    {
        QFETCH(int, folderMode);
        QFETCH(bool, othersLink);
        QFETCH(bool, othersTarget);
        QFETCH(bool, followed);
        if ((othersLink || othersTarget) && ::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        QTemporaryDir dir;
        const QString target = m_dir.filePath("target"), link = dir.filePath("vitrodial.ini");
        const QByteArray targetBytes = "# someone's file\n[Hour]\nWidth=7\n";
        QVERIFY(WriteAll(target, targetBytes) && QFile::link(target, link));
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), mode_t(folderMode)) == 0);
        QVERIFY(!othersLink || ::lchown(QFile::encodeName(link).constData(), 65534, 65534) == 0);
        QVERIFY(!othersTarget || ::chown(QFile::encodeName(target).constData(), 65534, 65534) == 0);

        IniFileStore store(link);
        QCOMPARE(store.GetProfileString("Hour", "Width", "<def>"), followed ? "7" : "<def>");
        store.WriteProfileInt("Dial", "Width", 3);
        QCOMPARE(store.SaveError(), QString());
        QCOMPARE(ReadAll(target), targetBytes);
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(ReadAll(link), (followed ? targetBytes : QByteArray()) + "[Dial]\nWidth=3\n");
    }

    // A save keeps the replaced file's owner, group and mode; one that could
    // not give the new file to the old one's owner leaves the file as it was.
    void ownerKept()
    {
        if (::geteuid() != 0)
            QSKIP("files of other users need root");
        QTemporaryDir dir;
        const QString path = dir.filePath("vitrodial.ini");
        const QByteArray name = QFile::encodeName(path);
        QVERIFY(WriteAll(path, "[Hour]\nWidth=7\n") && ::chown(name.constData(), 65534, 65533) == 0
                && ::chmod(name.constData(), 0640) == 0);
        QVERIFY(IniFileStore(path).GetProfileInt("Hour", "Width", 0) == 7);
        IniFileStore(path).WriteProfileInt("Hour", "Width", 8);
        struct stat st {};
        QVERIFY(::stat(name.constData(), &st) == 0);
        QCOMPARE(std::make_tuple(st.st_uid, st.st_gid, st.st_mode & 07777), std::make_tuple(65534u, 65533u, 0640u));
        QCOMPARE(ReadAll(path), "[Hour]\nWidth=8\n");

        // As another user saving root's file that it may write, in a folder it may write.
        QVERIFY(::chown(name.constData(), 0, 0) == 0 && ::chmod(name.constData(), 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0);
        QVERIFY(::setegid(65534) == 0 && ::seteuid(65534) == 0);
        IniFileStore store(path);
        store.WriteProfileInt("Hour", "Width", 9);
        QVERIFY(::seteuid(0) == 0 && ::setegid(0) == 0);
        QVERIFY2(store.SaveError().contains("another user"), qPrintable(store.SaveError()));
        QCOMPARE(ReadAll(path), "[Hour]\nWidth=8\n");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"vitrodial.ini"});
    }

    // One reading opens the file once for all the keys it was asked for,
    // however many entries the file has and however many keys it lacks.
    void oneReadingOnePass()
    {
        QByteArray file = "[Hour]\n";
        for (int i = 0; i < 20000; ++i)
            file += "Key" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
        QVERIFY(WriteAll(m_path, file + "Width=5\n"));
        FailingDisk disk;
        IniFileStore store(m_path, &disk);
        store.BeginRead({{"Hour", "Width"}, {"hour", "key19999"}, {"Hour", "Absent"}, {"Dial", "Width"}});
        QCOMPARE(store.GetProfileString("Hour", "Absent", "-") + store.GetProfileString("Dial", "Width", "-")
                     + store.GetProfileString("HOUR", "WIDTH", "-") + store.GetProfileString("Hour", "Key19999", "-"),
                 "--519999");
        store.EndRead();
        QCOMPARE(disk.opened, 1);
    }
};

QTEST_GUILESS_MAIN(TestIniFileStore)
#include "tst_inifilestore.moc"
