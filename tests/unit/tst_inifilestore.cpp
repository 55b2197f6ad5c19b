// The .ini store: the profile format as read, what a save keeps, and that a
// save either replaces the whole file or leaves it as it was.

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

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

    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath("vitrodial.ini");

private slots:
    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected"); // Hour/Width, "<def>" when absent
        const QByteArray huge(1 << 20, 'x');
        QTest::newRow("names ignore case") << QByteArray("[hOUR]\nwIDTH=5\n") << "5";
        QTest::newRow("blanks trimmed") << QByteArray("  [ Hour ]  \n\t Width \t=  a b  \n") << "a b";
        QTest::newRow("first key wins") << QByteArray("[Hour]\nWidth=5\nwidth=6\n") << "5";
        QTest::newRow("first section wins") << QByteArray("[Hour]\nWidth=5\n[hour]\nWidth=6\n") << "5";
        QTest::newRow("other section") << QByteArray("[Dial]\nWidth=5\n") << "<def>";
        QTest::newRow("comment") << QByteArray("[Hour]\n;Width=5\n") << "<def>";
        QTest::newRow("no final newline") << QByteArray("[Hour]\nWidth=5") << "5";
        QTest::newRow("binary bytes") << QByteArray("\x00\xff[\x01]\n\x00=\x00\n[Hour]\nWidth=5\n\xff\x00", 27) << "5";
        QTest::newRow("1 MB line") << "[Hour]\n" + huge + "\nWidth=5\n" << "5";
    }
    // A lookup inside a reading (cached) and alone finds the same.
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QVERIFY(WriteAll(m_path, file));
        IniFileStore store(m_path);
        QCOMPARE(store.GetProfileString("Hour", "Width", "<def>"), expected);
        store.BeginRead();
        QCOMPARE(store.GetProfileString("Hour", "Width", "<def>"), expected);
        store.EndRead();
    }

    // Replaced keys keep their place, missing keys join the end of their section
    // (before its closing blank lines), missing sections are appended, every other byte stays.
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
    }

    // A disk full midway: nothing half-written, no stray files, and the store
    // works again once the disk does.
    void failedSaveLeavesOldFile()
    {
        const QByteArray before = "; keep\n[Hour]\nWidth=3\n[Dial]\nWidth=4\n" + QByteArray(100, 'x') + "\n";
        QVERIFY(WriteAll(m_path, before));
        FullDiskStore store(m_path, 40);
        store.BeginWrite();
        store.WriteProfileInt("Hour", "Width", 9);
        store.WriteProfileInt("Misc", "TrayIcon", 0);
        QVERIFY(!store.Commit());
        QCOMPARE(ReadAll(m_path), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"vitrodial.ini"});
        IniFileStore(m_path).WriteProfileInt("Hour", "Width", 9);
        QVERIFY(ReadAll(m_path).contains("Width=9"));
    }
};

QTEST_GUILESS_MAIN(TestIniFileStore)
#include "tst_inifilestore.moc"
