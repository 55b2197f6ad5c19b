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

namespace {

// A disk that takes `budget` bytes and then fails, part-way through a write if
// need be; with no budget left at the end, the flush to disk fails instead.
struct FailingDisk : DiskWriter {
    explicit FailingDisk(qint64 bytes) : budget(bytes) {}
    qint64 Write(QFileDevice& file, const char* data, qint64 size) override
    {
        const qint64 n = qMin(size, budget);
        budget -= n;
        return n > 0 ? DiskWriter::Write(file, data, n) : -1;
    }
    bool Sync(QFileDevice& file) override { return budget > 0 && DiskWriter::Sync(file); }
    qint64 budget;
};

} // namespace

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

    // A save tidies what earlier interrupted saves of the same file left, and nothing else.
    void leftoversRemoved()
    {
        QTemporaryDir dir;
        const bool root = ::geteuid() == 0; // to give a file to another user
        const std::tuple<const char*, char, int, bool> entries[] = {
            // name, kind, age in seconds, removed
            {"vitrodial.ini.a1B2c3", 'f', 3600, true}, // an interrupted save's
            {"vitrodial.ini.d4E5f6", 'f', 0, false},   // a save still running
            {"vitrodial.ini.a1B2c", 'f', 3600, false},
            {"vitrodial.conf.a1B2c3", 'f', 3600, false},
            {"vitrodial.ini.link00", 'l', 3600, false}, // to an old file of this user's
            {"vitrodial.ini.nobody", root ? 'u' : 'f', 3600, !root},
        };
        for (const auto& [file, kind, age, removed] : entries) {
            const QString path = dir.filePath(file);
            const QByteArray name = QFile::encodeName(path);
            const timespec then{::time(nullptr) - age, 0}, times[2] = {then, then};
            QVERIFY(kind == 'l' ? QFile::link(dir.filePath("vitrodial.ini.a1B2c"), path) : WriteAll(path, "x"));
            QVERIFY(kind != 'u' || ::chown(name.constData(), 65534, 65534) == 0);
            QVERIFY(::utimensat(AT_FDCWD, name.constData(), times, AT_SYMLINK_NOFOLLOW) == 0);
        }
        IniFileStore(dir.filePath("vitrodial.ini")).WriteProfileInt("Hour", "Width", 9);
        for (const auto& [file, kind, age, removed] : entries)
            QVERIFY2(QFileInfo::exists(dir.filePath(file)) != removed, file);
    }
};

QTEST_GUILESS_MAIN(TestIniFileStore)
#include "tst_inifilestore.moc"
