// Loading settings from hostile .ini files: thousands of generated malformed
// files, and one of 100 MB. No crash, no hang, bounded memory, checked values
// in range, and what was loaded survives a save and a load.

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include "unit/SettingsTestSupport.h"

using testsupport::kKeys;
using testsupport::Values;

namespace {

long PeakRssKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A plausible but hostile file: our names in any case, values of every shape,
// junk lines, any line ending, lines cut short.
QByteArray HostileFile(QRandomGenerator& rng)
{
    const auto pick = [&](int n) { return int(rng.bounded(n)); };
    const auto anyCase = [&](const QString& name) {
        QByteArray b = QByteArray(pick(3), ' ') + name.toLatin1();
        for (char& c : b)
            c = pick(3) ? c : char(c ^ 0x20);
        return b;
    };
    QByteArray file;
    quint32 junk[75];
    for (int i = pick(60); i > 0; --i) {
        const QStringList name = kKeys[pick(kKeys.size())].split(u'/');
        QByteArray value;
        switch (pick(4)) {
        case 0: value = QByteArray::number(qint64(rng.generate64()) >> pick(64), pick(2) ? 10 : 16); break;
        case 1: value = QByteArray(pick(5000), char('0' + pick(60))); break;
        case 2: rng.fillRange(junk); value = QByteArray(reinterpret_cast<const char*>(junk), pick(300)); break;
        default: value = QByteArray::number(pick(40) - 5);
        }
        value.prepend(QByteArrayList{"", "", "0x", " \t", ";"}[pick(5)]);
        const int kind = pick(4);
        const QByteArray line = kind == 0 ? '[' + anyCase(name[0]) + ']' : kind == 1 ? value : anyCase(name[1]) + '=' + value;
        file += line.left(pick(20) ? line.size() : pick(50));
        file += QByteArrayList{"\n", "\r\n", "\r", "", "\n\n"}[pick(5)];
    }
    return file;
}

} // namespace

class TestSettingsFuzz : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    QString m_ini = m_dir.filePath("vitrodial.ini");

    // A new start that loads from the .ini file.
    void Load()
    {
        theApp.ResetForTests();
        theApp.SetModulePath(m_dir.filePath("vitrodial"));
        theApp.SetScreenSize(QSize(1280, 1024));
        QVERIFY(theApp.UseIniFile());
        theApp.LoadSettings();
    }
    void Save() { theApp.m_bModified = 1, theApp.SaveSettings(); }

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path())); }

    // First, while the process is still small, so that the peak says something.
    void hugeFileInBoundedMemory()
    {
        constexpr qint64 kSize = 100 << 20;
        {
            QFile f(m_ini);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("[Geometry]\nTop=7\n") > 0);
            QVERIFY(f.resize(kSize) && f.seek(kSize)); // a sparse run of NULs without a line break
            f.write("\n[Hour]\nWidth=5\n[Font]\nFace=" + QByteArray(1 << 20, 'A') + "\n[Date]\nBox=1");
        }
        const long before = PeakRssKiB();
        Load();
        QCOMPARE(Values(theApp).mid(16, 8).join(u' '), QString(31, u'A') + " 1 400 2 2 2 5 2");
        QCOMPARE(theApp.m_nTop, 7);
        theApp.m_nTop = -8;
        Save();
        Load();
        QVERIFY(QFileInfo(m_ini).size() > kSize);
        QCOMPARE(QPoint(theApp.m_nTop, theApp.m_bDateBox), QPoint(-8, 1));

#if !defined(__SANITIZE_ADDRESS__) // its quarantine holds on to freed buffers
        const long grownMiB = (PeakRssKiB() - before) / 1024;
        QVERIFY2(grownMiB < 32, qPrintable(QStringLiteral("peak grew by %1 MiB").arg(grownMiB)));
#else
        Q_UNUSED(before);
#endif
        QVERIFY(QFile::remove(m_ini));
    }

    void malformedFiles()
    {
        QRandomGenerator rng(0x5EED2024);
        for (int i = 0; i < 3000; ++i) {
            QFile::remove(m_ini); // a new file: truncating one makes the file system flush it
            QVERIFY(testsupport::WriteAll(m_ini, HostileFile(rng)));
            Load();
            QStringList v = Values(theApp);
            for (int k = 4; k < 24; ++k) {
                const qint64 n = v[k].toLongLong(nullptr, k < 16 ? 16 : 10);
                QVERIFY2(k < 16 ? n <= 0xFFFFFF : k < 19 || (n >= 0 && n <= 30), qPrintable(QString("file %1: %2").arg(i).arg(kKeys[k])));
            }
            QVERIFY(v[16].size() <= 31);
            // Now and then (a save waits for the disk): a save into the same
            // hostile file and a second load give the same values back.
            if (i % 60 == 0) {
                v[16] = v[16].trimmed();
                Save();
                Load();
                QCOMPARE(Values(theApp), v);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsFuzz)
#include "tst_settings_fuzz.moc"
