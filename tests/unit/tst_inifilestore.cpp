// The .ini store: the profile format as read, what a save keeps, and that a
// save either replaces the whole file or leaves it as it was.

#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <optional>

#include "app/IniFileStore.h"
#include "unit/SettingsTestSupport.h"

using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

// Stands for a full disk: the first `budget` bytes go, then writing fails.
class FullDiskStore : public IniFileStore {
public:
    FullDiskStore(const QString& path, qint64 budget) : IniFileStore(path), m_budget(budget) {}

protected:
    bool WriteOut(QIODevice& out, const QByteArray& bytes) override
    {
        return (m_budget -= bytes.size()) >= 0 && IniFileStore::WriteOut(out, bytes);
    }

private:
    qint64 m_budget;
};

} // namespace

class TestIniFileStore : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString m_path;

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        testsupport::OpenToAll(m_dir->path());
        m_path = m_dir->filePath("vitrodial.ini");
    }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("key");      // Section/Key
        QTest::addColumn<QString>("expected"); // "<def>" when absent
        const QByteArray huge(1 << 20, 'x');
        const auto row = [](const char* name, const QByteArray& file, const QString& expected, const char* key = "Hour/Width") {
            QTest::newRow(name) << file << key << expected;
        };
        row("names ignore case", "[hOUR]\nwIDTH=5\n", "5");
        row("blanks trimmed", "  [ Hour ]  \n\t Width \t=  a b  \n", "a b");
        row("first key wins", "[Hour]\nWidth=5\nwidth=6\n", "5");
        row("first section wins", "[Hour]\nWidth=5\n[hour]\nWidth=6\n", "5");
        row("key in a repeated section", "[Hour]\nFill=1\n[Dial]\nWidth=9\n[Hour]\nWidth=6\n", "6");
        row("other section", "[Dial]\nWidth=5\n", "<def>");
        row("before any section", "Width=5\n[Hour]\n", "<def>");
        row("comment", "[Hour]\n;Width=5\n#Width=6\n", "<def>");
        row("header with trailer", "[Hour] ; hands\nWidth=5\n", "5");
        row("crlf", "[Hour]\r\nWidth=5\r\n", "5");
        row("byte order mark", "\xEF\xBB\xBF[Hour]\nWidth=5\n", "5");
        row("no final newline", "[Hour]\nWidth=5", "5");
        row("empty value", "[Hour]\nWidth=\n", "");
        row("value with =", "[Font]\nFace=a=b\n", "a=b", "Font/Face");
        row("binary around", QByteArray("\x00\xff\xfe[\x01]\n\x00=\x00\n[Hour]\nWidth=5\n\xff\x00", 29), "5");
        row("1 MB line skipped", "[Hour]\n" + huge + "\nWidth=5\n", "5");
        row("1 MB header skipped", "[" + huge + "]\nWidth=4\n[Hour]\nWidth=5\n", "5");
        row("1 MB value cut", "[Font]\nFace=" + huge + "\n", QString(huge.left(IniFileStore::kMaxValueLength)), "Font/Face");
        row("utf-8", "[Font]\nFace=Caf\xc3\xa9\n", "Caf\xc3\xa9", "Font/Face");
    }
    // Every lookup, inside a reading and alone, finds the same.
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QVERIFY(WriteAll(m_path, file));
        IniFileStore store(m_path);
        const auto get = [&] { return store.GetProfileString(key.section('/', 0, 0), key.section('/', 1), "<def>"); };
        QCOMPARE(get(), expected);
        store.BeginRead();
        QCOMPARE(get(), expected);
        store.EndRead();
    }

    void integerTexts_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("negative") << QByteArray("-40") << -40;
        QTest::newRow("plus") << QByteArray("+7") << 7;
        QTest::newRow("trailing junk") << QByteArray("12px") << 12;
        QTest::newRow("hex is decimal 0") << QByteArray("0x10") << 0;
        QTest::newRow("no digits") << QByteArray("abc") << 77;
        QTest::newRow("sign only") << QByteArray("-") << 77;
        QTest::newRow("int min") << QByteArray("-2147483648") << INT_MIN;
        QTest::newRow("too large") << QByteArray("99999999999999999999999") << INT_MAX;
        QTest::newRow("too small") << QByteArray("-99999999999999999999999") << INT_MIN;
    }
    // Read, then written back and read again.
    void integerTexts()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        QVERIFY(WriteAll(m_path, "[Geometry]\nLeft=" + text + "\n"));
        IniFileStore store(m_path);
        QCOMPARE(store.GetProfileInt("Geometry", "Left", 77), expected);
        store.WriteProfileInt("Geometry", "Left", expected);
        QCOMPARE(store.GetProfileInt("Geometry", "Left", 77), expected);
    }

    // Replaced keys keep their place, missing keys join the end of their section
    // (before the blank lines that close it), missing sections are appended, and
    // every other byte stays.
    void saveKeepsEverythingElse()
    {
        QVERIFY(WriteAll(m_path, "; settings of the clock\r\n[geometry]\r\nLEFT = 5 \r\nUnknown=keep me\r\nleft=6\r\n\r\n"
                                 "[Other]\r\nTop=1\r\n[Geometry]\r\nTop=2"));
        IniFileStore store(m_path);
        store.BeginWrite();
        store.WriteProfileInt("Geometry", "Left", -20);
        store.WriteProfileInt("Geometry", "Top", 30);
        store.WriteProfileString("Font", "Face", "Impact\nx");
        store.WriteProfileInt("Geometry", "Size", 40);
        QVERIFY(store.Commit());
        QCOMPARE(ReadAll(m_path), "; settings of the clock\r\n[geometry]\r\nLeft=-20\r\nUnknown=keep me\r\nleft=6\r\n"
                                  "Top=30\r\nSize=40\r\n\r\n[Other]\r\nTop=1\r\n[Geometry]\r\nTop=2\r\n[Font]\r\n"
                                  "Face=Impact x\r\n");
        QCOMPARE(store.GetProfileInt("GEOMETRY", "top", 0), 30);

        QVERIFY(QFile::remove(m_path));
        store.WriteProfileInt("Geometry", "Left", 1);
        QCOMPARE(ReadAll(m_path), "[Geometry]\nLeft=1\n");
    }

    // Lines too long to look at, binary bytes and a missing final newline are
    // carried over unchanged.
    void saveCopiesHostileLines()
    {
        QByteArray junk(3 << 20, '\0');
        for (int i = 0; i < junk.size(); ++i)
            junk[i] = char(1 + (unsigned(i) * 7919u) % 250u);
        junk.replace('\n', '\0');
        QVERIFY(WriteAll(m_path, "[Hour]\n" + junk + "\nWidth=3\n" + junk));
        IniFileStore store(m_path);
        store.WriteProfileInt("Hour", "Width", 4);
        QVERIFY(ReadAll(m_path) == "[Hour]\n" + junk + "\nWidth=4\n" + junk);
        store.WriteProfileInt("Dial", "Width", 5);
        QVERIFY(ReadAll(m_path).endsWith(junk + "\n[Dial]\nWidth=5\n"));
    }

    // More distinct keys than one reading keeps: those past the limit are still
    // found, and first-match still holds for them.
    void manyEntries()
    {
        QByteArray file = "[Junk]\n";
        for (int i = 0; i < IniFileStore::kMaxCachedEntries + 100; ++i)
            file += "k" + QByteArray::number(i) + "=1\n";
        QVERIFY(WriteAll(m_path, file + "[Hour]\nWidth=5\nWidth=6\n"));
        IniFileStore store(m_path);
        store.BeginRead();
        QCOMPARE(store.GetProfileInt("junk", "K7", 0), 1);
        QCOMPARE(store.GetProfileInt("Hour", "Width", 0), 5);
        QCOMPARE(store.GetProfileInt("Hour", "Fill", -1), -1);
        store.EndRead();
    }

    void failedSaveLeavesOldFile_data()
    {
        QTest::addColumn<qint64>("budget"); // -1: a read-only folder
        QTest::newRow("read-only folder") << qint64(-1);
        QTest::newRow("disk full at once") << qint64(0);
        QTest::newRow("disk full midway") << qint64(40);
    }
    void failedSaveLeavesOldFile()
    {
        QFETCH(qint64, budget);
        const QByteArray before = "; keep\n[Hour]\nWidth=3\n[Dial]\nWidth=4\n" + QByteArray(100, 'x') + "\n";
        QVERIFY(WriteAll(m_path, before));
        const QStringList listing = testsupport::Listing(m_dir->path());

        FullDiskStore store(m_path, budget < 0 ? 1 << 30 : budget);
        store.BeginWrite();
        store.WriteProfileInt("Hour", "Width", 9);
        store.WriteProfileInt("Misc", "TrayIcon", 0);
        std::optional<testsupport::ReadOnlyScope> readOnly;
        if (budget < 0 && !readOnly.emplace(QStringList{m_dir->path()}).Ok())
            QSKIP("cannot step down from root");
        QVERIFY(!store.Commit());
        readOnly.reset();
        QCOMPARE(ReadAll(m_path), before);
        QCOMPARE(testsupport::Listing(m_dir->path()), listing);
        // The store is usable again once the medium is.
        IniFileStore(m_path).WriteProfileInt("Hour", "Width", 9);
        QVERIFY(ReadAll(m_path).contains("Width=9"));
    }
};

QTEST_GUILESS_MAIN(TestIniFileStore)
#include "tst_inifilestore.moc"
