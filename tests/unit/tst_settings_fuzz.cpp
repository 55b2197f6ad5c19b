// Loading settings from hostile .ini files: thousands of generated malformed
// files, and one of 100 MB. Loading must neither crash nor hang nor grow
// memory without bound, checked values must land in range, and what was
// loaded must survive a save and a load.

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include "app/ClockApp.h"
#include "unit/SettingsTestSupport.h"

namespace {

const char* const kSections[] = {"Geometry", "Color", "Dial", "Seconds", "Minute", "Hour", "Date", "Font", "Misc"};
const char* const kNames[] = {"Left",  "Top",   "Size", "Opacity", "Clear", "Background", "Frame", "Fill",
                              "Face",  "Italic", "Weight", "Width", "Show", "Month", "Day", "AMPM",
                              "TopMost", "Box", "IniFile", "TrayIcon"};

long PeakRssKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Builds hostile but plausible files: real section and key names in any case,
// values of every shape, junk lines, any line ending, lines cut short.
class Generator {
public:
    explicit Generator(quint32 seed) : m_rng(seed) {}

    QByteArray File()
    {
        QByteArray file;
        const int lines = Pick(60);
        for (int i = 0; i < lines; ++i) {
            QByteArray line = Line();
            if (Pick(20) == 0)
                line.truncate(Pick(int(line.size()) + 1));
            file += line + Ending();
        }
        if (Pick(4) == 0)
            file.chop(Pick(4)); // no final newline, or a cut last line
        return file;
    }

private:
    int Pick(int n) { return n <= 0 ? 0 : int(m_rng.bounded(n)); }

    QByteArray Bytes(int n)
    {
        QByteArray b(n, '\0');
        for (char& c : b)
            c = char(m_rng.bounded(256));
        return b;
    }
    QByteArray AnyCase(QByteArray name)
    {
        for (char& c : name)
            c = Pick(3) ? c : char(c ^ 0x20);
        return name;
    }
    QByteArray Blanks() { return QByteArray(Pick(3), Pick(2) ? ' ' : '\t'); }
    QByteArray Ending() { return QByteArrayList{"\n", "\r\n", "\r", "", "\n\n"}[Pick(5)]; }

    QByteArray Value()
    {
        switch (Pick(10)) {
        case 0: return QByteArray::number(qint64(m_rng.generate64()) >> Pick(64));
        case 1: return QByteArray::number(m_rng.generate64(), 16);
        case 2: return "0x" + QByteArray::number(m_rng.generate(), 16).toUpper();
        case 3: return QByteArray(Pick(40), '9');
        case 4: return '-' + QByteArray(Pick(40), '9');
        case 5: return QByteArray(Pick(5000), char('A' + Pick(26)));
        case 6: return Bytes(Pick(100));
        case 7: return QByteArray::number(Pick(40) - 5);
        case 8: return "";
        default: return Blanks() + QByteArray::number(Pick(0x2000000), 16) + "zz";
        }
    }

    QByteArray Line()
    {
        switch (Pick(8)) {
        case 0:
        case 1: return Blanks() + '[' + Blanks() + AnyCase(kSections[Pick(9)]) + Blanks() + ']';
        case 2: return Bytes(Pick(300));
        case 3: return ';' + Value();
        case 4: return '[' + Bytes(Pick(20));
        default: return Blanks() + AnyCase(kNames[Pick(20)]) + Blanks() + '=' + Blanks() + Value();
        }
    }

    QRandomGenerator m_rng;
};

} // namespace

class TestSettingsFuzz : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    QTemporaryDir m_dir;

    QString Ini() const { return m_dir.filePath("vitrodial.ini"); }

    // A new start that loads from the .ini file.
    void Load()
    {
        theApp.ResetForTests();
        theApp.SetModulePath(m_dir.filePath("vitrodial"));
        theApp.SetScreenSize(QSize(1280, 1024));
        QVERIFY(theApp.UseIniFile());
        theApp.LoadSettings();
    }
    void Save()
    {
        theApp.m_bModified = 1;
        theApp.SaveSettings();
        QCOMPARE(theApp.m_bModified, 0);
    }

    static QList<qint64> Numbers(const CClockApp& a)
    {
        return {a.m_nLeft,          a.m_nTop,           a.m_nSize,          a.m_nOpacity,      a.m_crClear,
                a.m_crDialBackground, a.m_crDialFrame,  a.m_crDialFill,     a.m_crSecondsFrame, a.m_crSecondsFill,
                a.m_crMinuteFrame,  a.m_crMinuteFill,   a.m_crHourFrame,    a.m_crHourFill,    a.m_crDateFrame,
                a.m_crDateFill,     a.m_bFontItalic,    a.m_nFontWeight,    a.m_nDialWidth,    a.m_nSecondsWidth,
                a.m_nMinuteWidth,   a.m_nHourWidth,     a.m_nDateWidth,     a.m_bShowDay,      a.m_bShowMonth,
                a.m_bShowAmPm,      a.m_bShowDate,      a.m_bShowSeconds,   a.m_bShowDial,     a.m_bTopMost,
                a.m_bDateBox,       a.m_bIniFile,       a.m_bTrayIcon};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    // First, while the process is still small, so that the peak says something.
    void hugeFileInBoundedMemory()
    {
        constexpr qint64 kSize = 100 << 20;
        {
            QFile f(Ini());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Geometry]\nTop=7\n");
            QVERIFY(f.resize(kSize)); // a sparse run of NULs without a line break
            QVERIFY(f.seek(kSize));
            f.write("\n[Hour]\nWidth=5\n[Font]\nFace=" + QByteArray(1 << 20, 'A') + "\n[Date]\nBox=1");
        }
        const long before = PeakRssKiB();

        Load();
        QCOMPARE(theApp.m_strFontFace, QString(31, u'A'));
        QCOMPARE(QPoint(theApp.m_nTop, theApp.m_nHourWidth * 10 + theApp.m_bDateBox), QPoint(7, 51));
        theApp.m_nTop = -8;
        Save();
        QVERIFY(QFileInfo(Ini()).size() > kSize);
        Load();
        QCOMPARE(QPoint(theApp.m_nTop, theApp.m_bDateBox), QPoint(-8, 1));

        const long grownMiB = (PeakRssKiB() - before) / 1024;
        qInfo("peak memory grew by %ld MiB", grownMiB);
#if !defined(__SANITIZE_ADDRESS__) // its quarantine holds on to freed buffers
        QVERIFY2(grownMiB < 32, qPrintable(QStringLiteral("peak grew by %1 MiB").arg(grownMiB)));
#endif
        QVERIFY(QFile::remove(Ini()));
    }

    void malformedFiles()
    {
        Generator generator(0x5EED2024);
        for (int i = 0; i < 3000; ++i) {
            const QByteArray file = generator.File();
            // A new file each time: truncating one makes the file system flush it.
            QFile::remove(Ini());
            QVERIFY(testsupport::WriteAll(Ini(), file));
            Load();

            // Numbers() holds the colours at 4 to 15 and the widths at 18 to 22.
            const QList<qint64> n = Numbers(theApp);
            for (int k = 4; k < 23; ++k)
                QVERIFY2(k < 16 ? n[k] >= 0 && n[k] <= 0xFFFFFF : k < 18 || (n[k] >= 0 && n[k] <= 30),
                         qPrintable(QStringLiteral("file %1, number %2").arg(i).arg(k)));
            QVERIFY(theApp.m_strFontFace.size() <= 31);

            // Now and then (a save waits for the disk): what was loaded survives
            // a save into the same hostile file and a second load.
            if (i % 60 == 0) {
                const QString face = theApp.m_strFontFace.trimmed();
                Save();
                Load();
                QCOMPARE(Numbers(theApp), n);
                QCOMPARE(theApp.m_strFontFace, face);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsFuzz)
#include "tst_settings_fuzz.moc"
