// Settings in hostile .ini files: a hundred thousand generated malformed files
// (fewer outside the sanitizer build), and one of 100 MB. No crash, no hang,
// bounded memory, checked values in range, and a save and a load give back
// what was loaded, keeping every line the save does not own.

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include "unit/SettingsTestSupport.h"

using testsupport::kKeys;
using testsupport::Values;

namespace {

// A plausible but hostile file: our names in any case, values of every shape,
// junk lines, any line ending, lines cut short, in UTF-8 or UTF-16 (now and
// then with a stray last byte). Lines no key of ours can match are listed in
// `kept`, in order.
QByteArray HostileFile(QRandomGenerator& rng, QStringList& kept)
{
    static const QByteArrayList names = kKeys.join(u'/').toLatin1().split('/'); // section, key, section, key...
    const char* const chars[] = {" ", "\"", "a", "\xC3\xA9", "\xF0\x9F\x98\x80"};
    const char* const starts[] = {"", "", "0x", " \t", ";", "\""};
    const char* const ends[] = {"\n", "\r\n", "\r", "", "\n\n"};
    const auto pick = [&](int n) { return int(rng.bounded(n)); };
    const auto anyCase = [&](const QByteArray& name) {
        return QByteArray(pick(3), ' ') + (pick(2) ? name : name.toUpper());
    };
    QByteArray file;
    quint32 junk[75];
    for (int i = pick(40); i > 0; --i) {
        const qsizetype k = 2 * pick(names.size() / 2);
        QByteArray value = starts[pick(6)];
        const int shape = pick(5);
        if (shape == 0)
            value += QByteArray::number(qint64(rng.generate64()) >> pick(64), pick(2) ? 10 : 16);
        else if (shape == 1)
            value += QByteArray(pick(pick(8) ? 40 : 5000), char('0' + pick(60)));
        else if (shape == 2)
            value += QByteArray(reinterpret_cast<const char*>(junk), (rng.fillRange(junk), pick(300)));
        for (int n = shape == 3 ? pick(40) : 0; n > 0; --n)
            value += chars[pick(5)];
        if (shape == 4)
            value += QByteArray::number(pick(40) - 5);
        const int kind = pick(5);
        const QByteArray line = kind == 0   ? '[' + anyCase(names[k]) + ']'
                                : kind == 1 ? value
                                            : anyCase(names[k + 1]) + '=' + value;
        file += line.left(pick(20) ? line.size() : pick(50));
        file += ends[pick(5)];
        if (kind == 4) {
            kept << QStringLiteral("%1 %2").arg(pick(2) ? "\n;note" : "\nExtra=").arg(i);
            file += kept.back().toUtf8() + "\n";
        }
    }
    if (pick(8))
        return file;
    kept.clear(); // what a UTF-16 save keeps is checked byte for byte elsewhere
    return testsupport::InForm(QString::fromUtf8(file), pick(2) ? "UTF-16LE" : "UTF-16BE") + QByteArray(pick(2), '\n');
}

} // namespace

class TestSettingsFuzz : public QObject {
    Q_OBJECT

    // On a memory file system when there is one: saves need not wait for a disk.
    QTemporaryDir m_dir{(QFileInfo("/dev/shm").isDir() ? QStringLiteral("/dev/shm") : QDir::tempPath())
                        + "/vitrodial-fuzz-XXXXXX"};
    QString m_ini = m_dir.filePath("vitrodial.ini");

    // A new start that loads from the .ini file.
    void Load()
    {
        theApp.ResetForTests();
        theApp.SetModulePath(m_dir.filePath("vitrodial"));
        QVERIFY(theApp.UseIniFile());
        theApp.LoadSettings();
    }
    void Save() { theApp.m_bModified = 1, theApp.SaveSettings(); }

private slots:
    // First, while the process is still small, so that the peak says something.
    void hugeFileInBoundedMemory()
    {
        constexpr qint64 kSize = 100 << 20;
        QFile f(m_ini); // a sparse run of NULs without a line break, then a face of 1 MiB
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("[Geometry]\nTop=7\n") > 0 && f.resize(kSize) && f.seek(kSize)
                && f.write("\n[Hour]\nWidth=5\n[Font]\nFace=" + QByteArray(1 << 20, 'A') + "\n[Date]\nBox=1") > 0);
        f.close();
        const auto peakKiB = [] {
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            return usage.ru_maxrss;
        };
        [[maybe_unused]] const long before = peakKiB();
        Load();
        const QStringList keys = {"Font/Face",    "Font/Italic", "Font/Weight", "Dial/Width",  "Seconds/Width",
                                  "Minute/Width", "Hour/Width",  "Date/Width",  "Geometry/Top"};
        QCOMPARE(testsupport::ValuesOf(theApp, keys).join(u' '), QString(31, u'A') + " 1 400 2 2 2 5 2 7");
        theApp.m_nTop = -8;
        Save();
        Load();
        QVERIFY(QFileInfo(m_ini).size() > kSize);
        QCOMPARE(QPoint(theApp.m_nTop, theApp.m_bDateBox), QPoint(-8, 1));
#if !defined(__SANITIZE_ADDRESS__) // its quarantine holds on to freed buffers
        QVERIFY2(peakKiB() - before < 32 * 1024, "the peak grew by 32 MiB or more");
#endif
    }

    // Every generated file loads; a save and a load give back what was loaded
    // and what was changed since, and keep every line the save does not own.
    void malformedFiles()
    {
#if defined(__SANITIZE_ADDRESS__)
        constexpr int kFiles = 100000, kRoundTripEvery = 10;
#else
        constexpr int kFiles = 20000, kRoundTripEvery = 1;
#endif
        QRandomGenerator rng(0x5EED2024);
        for (int i = 0; i < kFiles; ++i) {
            QStringList kept;
            QVERIFY(testsupport::WriteAll(m_ini, HostileFile(rng, kept)));
            Load();
            if (i % kRoundTripEvery)
                continue;
            theApp.m_nTop = int(rng.generate());
            const QStringList values = Values(theApp);
            Save();
            Load();
            QCOMPARE(Values(theApp), values);
            const QString text = QString::fromUtf8(testsupport::ReadAll(m_ini));
            qsizetype at = 0;
            for (const QString& line : kept)
                QVERIFY2((at = text.indexOf(line, at)) >= 0, qPrintable(QString("file %1: %2 lost").arg(i).arg(line)));
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsFuzz)
#include "tst_settings_fuzz.moc"
