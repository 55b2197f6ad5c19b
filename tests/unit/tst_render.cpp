// The render tool as its users call it: arguments, settings files, and what
// the layered output promises the desktop.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString err;
};

Run Render(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(VITRODIAL_RENDER), args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}

void WriteFile(const QString& path, const QByteArray& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

class TestRender : public QObject {
    Q_OBJECT

private slots:
    void badArgumentsWriteNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");
        QTest::newRow("no out") << QStringList{"--size", "100"} << "--out";
        QTest::newRow("unknown") << QStringList{"--colour", "red"} << "--colour";
        QTest::newRow("size zero") << QStringList{"--size", "0"} << "--size";
        QTest::newRow("size text") << QStringList{"--size", "big"} << "--size";
        QTest::newRow("size huge") << QStringList{"--size", "2147483647"} << "--size";
        QTest::newRow("size missing") << QStringList{"--size"} << "--size";
        QTest::newRow("time format") << QStringList{"--time", "12:00"} << "--time";
        QTest::newRow("time impossible") << QStringList{"--time", "2024-02-30T10:00:00"} << "--time";
    }
    void badArgumentsWriteNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QString out = dir.filePath("face.png");
        if (named != "--out")
            args << "--out" << out;
        const Run r = Render(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(named), qPrintable(r.err));
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(!QFile::exists(out));
    }

    // Bad values are the load checks' business, not an error: the face is
    // drawn with them corrected.
    void iniWithBadValuesRenders()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("bad.ini");
        WriteFile(ini,
                  "[Geometry]\nSize=-40\n[Dial]\nBackground=zzz\nFrame=1000000\nWidth=99\n"
                  "[Font]\nFace=" + QByteArray(5000, 'x') + "\nWeight=1000000000\n[Date]\nWidth=-3");
        const QString out = dir.filePath("face.png");
        const Run r = Render({"--ini", ini, "--size", "120", "--out", out});
        QCOMPARE(r.exitCode, 0);
        // Background "zzz" converts to nothing and keeps black.
        const QImage img(out);
        QCOMPARE(img.size(), QSize(120, 120));
        QCOMPARE(img.pixel(3, 3) & 0xFFFFFF, 0x000000u);
    }

    // The size comes from the settings unless given; a missing file is an error.
    void sizeAndMissingIni()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("s.ini"), out = dir.filePath("face.png");
        WriteFile(ini, "[Geometry]\nSize=77\n");
        QCOMPARE(Render({"--ini", ini, "--out", out}).exitCode, 0);
        QCOMPARE(QImage(out).size(), QSize(77, 77));
        QVERIFY(QFile::remove(out));
        QCOMPARE(Render({"--ini", dir.filePath("missing.ini"), "--out", out}).exitCode, 1);
        QVERIFY(!QFile::exists(out));
    }

    // The desktop receives: clear colour alpha 0, other pixels inside the
    // circle at the opacity, nothing outside the circle.
    void layeredAlphaRules()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("l.ini");
        // Opacity 0x1C8 keeps only its low byte, 0xC8; a dark face on a white
        // clear colour.
        WriteFile(ini, "[Color]\nOpacity=456\nClear=ffffff\n[Dial]\nBackground=402010\n");
        const QString out = dir.filePath("l.png");
        QCOMPARE(Render({"--ini", ini, "--size", "200", "--time", "2024-05-06T10:10:30", "--layered",
                         "--out", out}).exitCode,
                 0);
        QImage img(out);
        QVERIFY(img.hasAlphaChannel());
        img = img.convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);      // outside the circle
        QCOMPARE(qAlpha(img.pixel(199, 199)), 0);
        QCOMPARE(qAlpha(img.pixel(100, 30)), 0xC8); // background inside the circle
        // Premultiplied on the way out, so the colour comes back within rounding.
        const QRgb bg = img.pixel(100, 30);
        QVERIFY(qAbs(qRed(bg) - 0x10) <= 2 && qAbs(qGreen(bg) - 0x20) <= 2 && qAbs(qBlue(bg) - 0x40) <= 2);

        // The same face opaque: the default fills are white, the clear colour,
        // and become holes in the layered form.
        const QString opaque = dir.filePath("o.png");
        QCOMPARE(Render({"--ini", ini, "--size", "200", "--time", "2024-05-06T10:10:30", "--out", opaque})
                     .exitCode,
                 0);
        const QImage face = QImage(opaque).convertToFormat(QImage::Format_RGB32);
        int clear = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                if ((face.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) {
                    ++clear;
                    QCOMPARE(qAlpha(img.pixel(x, y)), 0);
                }
        QVERIFY(clear > 0);
    }
};

QTEST_GUILESS_MAIN(TestRender)
#include "tst_render.moc"
