// Settings in hostile .ini files: a hundred thousand generated malformed files
// (fewer outside the sanitizer build), and one of 100 MB. No crash, no hang,
// bounded memory, checked values in range, and a save and a load give back
// what was loaded, keeping every line the save does not own.

#include <QDir>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
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
// junk lines, any line ending, lines cut short, in UTF-8 or UTF-16. Lines no
// key of ours can match are listed in `kept`, in order.
QByteArray HostileFile(QRandomGenerator& rng, QStringList& kept)
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
    for (int i = pick(40); i > 0; --i) {
        const QStringList name = kKeys[pick(kKeys.size())].split(u'/');
        QByteArray value;
        switch (pick(5)) {
        case 0: value = QByteArray::number(qint64(rng.generate64()) >> pick(64), pick(2) ? 10 : 16); break;
        case 1: value = QByteArray(pick(pick(8) ? 40 : 5000), char('0' + pick(60))); break;
        case 2: rng.fillRange(junk); value = QByteArray(reinterpret_cast<const char*>(junk), pick(300)); break;
        case 3: for (int n = pick(40); n > 0; --n) value += QByteArrayList{" ", "\"", "a", "\xC3\xA9", "\xF0\x9F\x98\x80"}[pick(5)]; break;
        default: value = QByteArray::number(pick(40) - 5);
        }
        value.prepend(QByteArrayList{"", "", "0x", " \t", ";", "\""}[pick(6)]);
        const int kind = pick(5);
        const QByteArray line = kind == 0 ? '[' + anyCase(name[0]) + ']' : kind == 1 ? value : anyCase(name[1]) + '=' + value;
        file += line.left(pick(20) ? line.size() : pick(50));
        file += QByteArrayList{"\n", "\r\n", "\r", "", "\n\n"}[pick(5)];
        if (kind == 4) {
            kept << QStringLiteral("%1 %2").arg(pick(2) ? "\n;note" : "\nExtra=").arg(i);
            file += kept.back().toUtf8() + "\n";
        }
    }
    if (pick(8))
        return file;
    const bool le = pick(2);
    QStringEncoder encode(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    return (le ? "\xFF\xFE" : "\xFE\xFF") + QByteArray(encode(QString::fromUtf8(file)));
}

// A UTF-16 file's text, read in the encoding its byte order mark names; null for another file.
QString Decoded(const QByteArray& file)
{
    QStringDecoder decode(file.startsWith("\xFE\xFF") ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    return file.startsWith("\xFF\xFE") || file.startsWith("\xFE\xFF") ? QString(decode(file)) : QString();
}

} // namespace

class TestSettingsFuzz : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    // On a memory file system when there is one: saves need not wait for a disk.
    QTemporaryDir m_dir{(QFileInfo("/dev/shm").isDir() ? QStringLiteral("/dev/shm") : QDir::tempPath()) + "/vitrodial-fuzz-XXXXXX"};
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

    // Every generated file loads with every checked value in range; a save
    // and a load give back what was loaded and what was changed since, in the
    // file's own encoding, and keep every line the save does not own.
    void malformedFiles()
    {
#if defined(__SANITIZE_ADDRESS__)
        constexpr int kFiles = 100000;
#else
        constexpr int kFiles = 20000;
#endif
        QRandomGenerator rng(0x5EED2024);
        const QStringList faces{" \"x\" ", "\"\"", "Arial, Bold", ""};
        for (int i = 0; i < kFiles; ++i) {
            QStringList kept;
            const QByteArray file = HostileFile(rng, kept);
            QVERIFY(testsupport::WriteAll(m_ini, file));
            Load();
            QStringList v = Values(theApp);
            for (int k = 4; k < 24; ++k) {
                const qint64 n = v[k].toLongLong(nullptr, k < 16 ? 16 : 10);
                QVERIFY2(k < 16 ? n <= 0xFFFFFF : k < 19 || (n >= 0 && n <= 30), qPrintable(QString("file %1: %2").arg(i).arg(kKeys[k])));
            }
            QVERIFY(v[16].size() <= 31);

            // Half the time the face as loaded, cut and all; else one that needs care.
            if (i % 2)
                theApp.m_strFontFace = faces[i % faces.size()];
            theApp.m_nTop = int(rng.generate());
            v = Values(theApp);
            Save();
            Load();
            QCOMPARE(Values(theApp), v);
            const QByteArray saved = testsupport::ReadAll(m_ini);
            QCOMPARE(Decoded(saved).isNull(), Decoded(file).isNull()); // the same encoding
            const QString text = Decoded(saved).isNull() ? QString::fromUtf8(saved) : Decoded(saved);
            qsizetype at = 0;
            for (const QString& line : kept)
                QVERIFY2((at = text.indexOf(line, at)) >= 0, qPrintable(QString("file %1: %2 lost").arg(i).arg(line)));
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsFuzz)
#include "tst_settings_fuzz.moc"
