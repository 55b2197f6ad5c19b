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
        if (bytes.size() > m_budget)
            return false;
        m_budget -= bytes.size();
        return IniFileStore::WriteOut(out, bytes);
    }

private:
    qint64 m_budget;
};

} // namespace

class TestIniFileStore : public QObject {
    Q_OBJECT

    QTemporaryDir* m_dir = nullptr;
    QString m_path;

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        testsupport::OpenToAll(m_dir->path());
        m_path = m_dir->filePath(QStringLiteral("vitrodial.ini"));
    }
    void cleanup() { delete m_dir; }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // "<def>" when absent

        const QByteArray huge(1 << 20, 'x');
        QTest::newRow("plain") << QByteArray("[Hour]\nWidth=5\n") << "Hour" << "Width" << "5";
        QTest::newRow("names ignore case") << QByteArray("[hOUR]\nwIDTH=5\n") << "Hour" << "Width" << "5";
        QTest::newRow("blanks trimmed") << QByteArray("  [ Hour ]  \n\t Width \t=  a b  \n") << "Hour" << "Width"
                                        << "a b";
        QTest::newRow("first key wins") << QByteArray("[Hour]\nWidth=5\nwidth=6\n") << "Hour" << "Width" << "5";
        QTest::newRow("first section wins") << QByteArray("[Hour]\nWidth=5\n[hour]\nWidth=6\n") << "Hour" << "Width"
                                            << "5";
        QTest::newRow("key in a repeated section")
            << QByteArray("[Hour]\nFill=1\n[Dial]\nWidth=9\n[Hour]\nWidth=6\n") << "Hour" << "Width" << "6";
        QTest::newRow("other section") << QByteArray("[Dial]\nWidth=5\n") << "Hour" << "Width" << "<def>";
        QTest::newRow("before any section") << QByteArray("Width=5\n[Hour]\n") << "Hour" << "Width" << "<def>";
        QTest::newRow("comment") << QByteArray("[Hour]\n;Width=5\n#Width=6\n") << "Hour" << "Width" << "<def>";
        QTest::newRow("header with trailer") << QByteArray("[Hour] ; hands\nWidth=5\n") << "Hour" << "Width" << "5";
        QTest::newRow("crlf") << QByteArray("[Hour]\r\nWidth=5\r\n") << "Hour" << "Width" << "5";
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[Hour]\nWidth=5\n") << "Hour" << "Width"
                                         << "5";
        QTest::newRow("no final newline") << QByteArray("[Hour]\nWidth=5") << "Hour" << "Width" << "5";
        QTest::newRow("empty value") << QByteArray("[Hour]\nWidth=\n") << "Hour" << "Width" << "";
        QTest::newRow("value with =") << QByteArray("[Font]\nFace=a=b\n") << "Font" << "Face" << "a=b";
        QTest::newRow("binary around")
            << QByteArray("\x00\xff\xfe[\x01]\n\x00=\x00\n[Hour]\nWidth=5\n\xff\x00", 29) << "Hour" << "Width" << "5";
        QTest::newRow("1 MB line skipped") << "[Hour]\n" + huge + "\nWidth=5\n" << "Hour" << "Width" << "5";
        QTest::newRow("1 MB header skipped")
            << "[" + huge + "]\nWidth=4\n[Hour]\nWidth=5\n" << "Hour" << "Width" << "5";
        QTest::newRow("1 MB value cut") << "[Font]\nFace=" + huge + "\n" << "Font" << "Face"
                                        << QString(IniFileStore::kMaxValueLength, u'x');
        QTest::newRow("utf-8") << QByteArray("[Font]\nFace=Caf\xc3\xa9\n") << "Font" << "Face"
                               << QStringLiteral("Caf\u00e9");
    }

    // Every lookup, inside a reading and alone, finds the same.
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QVERIFY(WriteAll(m_path, file));

        IniFileStore store(m_path);
        const QString def = QStringLiteral("<def>");
        QCOMPARE(store.GetProfileString(section, key, def), expected);
        store.BeginRead();
        QCOMPARE(store.GetProfileString(section, key, def), expected);
        store.EndRead();
    }

    void integerTexts_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("positive") << QByteArray("12") << 12;
        QTest::newRow("negative") << QByteArray("-40") << -40;
        QTest::newRow("plus") << QByteArray("+7") << 7;
        QTest::newRow("trailing junk") << QByteArray("12px") << 12;
        QTest::newRow("hex is decimal 0") << QByteArray("0x10") << 0;
        QTest::newRow("no digits") << QByteArray("abc") << 77;
        QTest::newRow("sign only") << QByteArray("-") << 77;
        QTest::newRow("empty") << QByteArray("") << 77;
        QTest::newRow("int min") << QByteArray("-2147483648") << INT_MIN;
        QTest::newRow("too large") << QByteArray("99999999999999999999999") << INT_MAX;
        QTest::newRow("too small") << QByteArray("-99999999999999999999999") << INT_MIN;
    }
    void integerTexts()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        QVERIFY(WriteAll(m_path, "[Geometry]\nLeft=" + text + "\n"));
        IniFileStore store(m_path);
        QCOMPARE(store.GetProfileInt(QStringLiteral("Geometry"), QStringLiteral("Left"), 77), expected);
    }

    void integersRoundTrip()
    {
        IniFileStore store(m_path);
        for (int value : {-150, 0, INT_MIN, INT_MAX}) {
            store.WriteProfileInt(QStringLiteral("Geometry"), QStringLiteral("Left"), value);
            QCOMPARE(store.GetProfileInt(QStringLiteral("Geometry"), QStringLiteral("Left"), 1), value);
        }
    }

    // Replaced keys keep their place, missing keys join the end of their section
    // (before the blank lines that close it), missing sections are appended, and
    // every other byte stays.
    void saveKeepsEverythingElse()
    {
        const QByteArray before = "; settings of the clock\r\n"
                                  "[geometry]\r\n"
                                  "LEFT = 5 \r\n"
                                  "Unknown=keep me\r\n"
                                  "left=6\r\n"
                                  "\r\n"
                                  "[Other]\r\n"
                                  "Top=1\r\n"
                                  "[Geometry]\r\n"
                                  "Top=2";
        QVERIFY(WriteAll(m_path, before));

        IniFileStore store(m_path);
        store.BeginWrite();
        store.WriteProfileInt(QStringLiteral("Geometry"), QStringLiteral("Left"), -20);
        store.WriteProfileInt(QStringLiteral("Geometry"), QStringLiteral("Top"), 30);
        store.WriteProfileInt(QStringLiteral("Geometry"), QStringLiteral("Size"), 40);
        store.WriteProfileString(QStringLiteral("Font"), QStringLiteral("Face"), QStringLiteral("Impact\nx"));
        QVERIFY(store.Commit());

        const QByteArray after = "; settings of the clock\r\n"
                                 "[geometry]\r\n"
                                 "Left=-20\r\n"
                                 "Unknown=keep me\r\n"
                                 "left=6\r\n"
                                 "Top=30\r\n"
                                 "Size=40\r\n"
                                 "\r\n"
                                 "[Other]\r\n"
                                 "Top=1\r\n"
                                 "[Geometry]\r\n"
                                 "Top=2\r\n"
                                 "[Font]\r\n"
                                 "Face=Impact x\r\n";
        QCOMPARE(ReadAll(m_path), after);
        QCOMPARE(store.GetProfileInt(QStringLiteral("GEOMETRY"), QStringLiteral("top"), 0), 30);
    }

    void saveCreatesFile()
    {
        IniFileStore store(m_path);
        store.BeginWrite();
        store.WriteProfileInt(QStringLiteral("Geometry"), QStringLiteral("Left"), 1);
        store.WriteProfileString(QStringLiteral("Color"), QStringLiteral("Clear"), QStringLiteral("ff"));
        store.WriteProfileInt(QStringLiteral("Geometry"), QStringLiteral("Top"), 2);
        QVERIFY(store.Commit());
        QCOMPARE(ReadAll(m_path), QByteArray("[Geometry]\nLeft=1\nTop=2\n[Color]\nClear=ff\n"));
    }

    // Lines too long to look at, binary bytes and a missing final newline are
    // carried over unchanged.
    void saveCopiesHostileLines()
    {
        QByteArray junk(3 << 20, '\0');
        for (int i = 0; i < junk.size(); ++i) {
            const char c = char(1 + (unsigned(i) * 7919u) % 250u);
            junk[i] = c == '\n' ? '\0' : c;
        }
        const QByteArray before = "[Hour]\n" + junk + "\nWidth=3\n" + junk;
        QVERIFY(WriteAll(m_path, before));

        IniFileStore store(m_path);
        store.WriteProfileInt(QStringLiteral("Hour"), QStringLiteral("Width"), 4);
        const QByteArray after = ReadAll(m_path);
        QCOMPARE(after.size(), before.size());
        QVERIFY(after == "[Hour]\n" + junk + "\nWidth=4\n" + junk);

        store.WriteProfileInt(QStringLiteral("Dial"), QStringLiteral("Width"), 5);
        QVERIFY(ReadAll(m_path).endsWith(junk + "\n[Dial]\nWidth=5\n"));
    }

    // More distinct keys than one reading keeps: those past the limit are still
    // found, and first-match still holds for them.
    void manyEntries()
    {
        QByteArray file = "[Junk]\n";
        for (int i = 0; i < IniFileStore::kMaxCachedEntries + 100; ++i)
            file += "k" + QByteArray::number(i) + "=1\n";
        file += "[Hour]\nWidth=5\nWidth=6\n";
        QVERIFY(WriteAll(m_path, file));

        IniFileStore store(m_path);
        store.BeginRead();
        QCOMPARE(store.GetProfileInt(QStringLiteral("junk"), QStringLiteral("K7"), 0), 1);
        QCOMPARE(store.GetProfileInt(QStringLiteral("Hour"), QStringLiteral("Width"), 0), 5);
        QCOMPARE(store.GetProfileInt(QStringLiteral("Hour"), QStringLiteral("Fill"), -1), -1);
        store.EndRead();
    }

    void failedSaveLeavesOldFile_data()
    {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<qint64>("budget");
        QTest::newRow("read-only folder") << true << qint64(1 << 30);
        QTest::newRow("disk full at once") << false << qint64(0);
        QTest::newRow("disk full midway") << false << qint64(40);
    }
    void failedSaveLeavesOldFile()
    {
        QFETCH(bool, readOnlyFolder);
        QFETCH(qint64, budget);
        const QByteArray before = "; keep\n[Hour]\nWidth=3\n[Dial]\nWidth=4\n" + QByteArray(100, 'x') + "\n";
        QVERIFY(WriteAll(m_path, before));
        const QStringList listing = testsupport::Listing(m_dir->path());

        FullDiskStore store(m_path, budget);
        store.BeginWrite();
        store.WriteProfileInt(QStringLiteral("Hour"), QStringLiteral("Width"), 9);
        store.WriteProfileInt(QStringLiteral("Misc"), QStringLiteral("TrayIcon"), 0);
        std::optional<testsupport::ReadOnlyScope> readOnly;
        if (readOnlyFolder) {
            readOnly.emplace(QStringList{m_dir->path()});
            if (!readOnly->Ok())
                QSKIP("cannot step down from root");
        }
        QVERIFY(!store.Commit());
        readOnly.reset();
        QCOMPARE(ReadAll(m_path), before);
        QCOMPARE(testsupport::Listing(m_dir->path()), listing);

        // The store is usable again once the medium is.
        IniFileStore healthy(m_path);
        healthy.WriteProfileInt(QStringLiteral("Hour"), QStringLiteral("Width"), 9);
        QCOMPARE(healthy.GetProfileInt(QStringLiteral("Hour"), QStringLiteral("Width"), 0), 9);
    }
};

QTEST_GUILESS_MAIN(TestIniFileStore)
#include "tst_inifilestore.moc"
