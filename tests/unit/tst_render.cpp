// The render tool as its users call it: arguments, settings files, and what
// the layered output promises the desktop.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The exit code, -1 for a crash; what it wrote to stdout and stderr into
// *out and *err.
int Render(const QStringList& args, QString* err = nullptr, QString* out = nullptr)
{
    QProcess p;
    p.start(QStringLiteral(VITRODIAL_RENDER), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    if (err)
        *err = QString::fromLocal8Bit(p.readAllStandardError());
    if (out)
        *out = QString::fromLocal8Bit(p.readAllStandardOutput());
    return p.exitCode();
}

} // namespace

class TestRender : public QObject {
    Q_OBJECT
private slots:
    // The help and the version go to standard output; a bad argument is
    // named on the first line of standard error, the usage follows.
    void argumentsThatDrawNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("named");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: vitrodial-render [option]... --out FILE.png";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "vitrodial-render (Vitrodial) 1.0.0";
        QTest::newRow("no out") << QStringList{"--size", "100"} << 2 << "--out";
        QTest::newRow("unknown") << QStringList{"--colour", "red"} << 2 << "'colour'";
        QTest::newRow("size text") << QStringList{"--size", "big"} << 2 << "--size";
        QTest::newRow("size missing") << QStringList{"--size"} << 2 << "--size";
        QTest::newRow("time impossible") << QStringList{"--time", "2024-02-30T10:00:00"} << 2 << "--time";
        QTest::newRow("time skipped by summer time")
            << QStringList{"--time", "2024-03-31T02:30:00"} << 2 << "does not exist";
        QTest::newRow("ini unreadable") << QStringList{"--ini", "/nonexistent/x.ini"} << 1 << "/nonexistent/x.ini";
    }
    void argumentsThatDrawNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, named);
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3"); // central Europe, whose clocks skip 02:00-03:00 on 2024-03-31
        QTemporaryDir dir;
        const QString out = dir.filePath("face.png");
        QString err, printed;
        QCOMPARE(Render(named == "--out" ? args : args + QStringList{"--out", out}, &err, &printed), code);
        const QString& message = code == 0 ? printed : err;
        QVERIFY2((code == 1 ? message : message.section(u'\n', 0, 0)).contains(named), qPrintable(message));
        QVERIFY2(code != 2 || message.section(u'\n', 1, 1).startsWith("Usage: vitrodial-render"), qPrintable(err));
        QVERIFY(!QFile::exists(out));
    }

    // Opacity 0x1C8 keeps its low byte; the default fills are white, the
    // clear colour, and become holes (the hour hand's at (68, 78)). Bad values
    // are corrected, not an error.
    void layeredAlphaRules()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("settings.ini");
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly)
                && file.write("[Color]\nOpacity=456\nClear=ffffff\n[Dial]\nBackground=402010\n"
                              "[Geometry]\nSize=-40\n[Font]\nFace="
                              + QByteArray(5000, 'x') + "\nWeight=1000000000\n[Date]\nWidth=-3\n")
                       > 0);
        file.close();
        const QString out = dir.filePath("l.png");
        QCOMPARE(Render({"--ini", ini, "--size", "200", "--time", "2024-05-06T10:10:30", "--layered", "--out", out}),
                 0);
        const QImage layered = QImage(out).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(qAlpha(layered.pixel(0, 0)), 0); // outside the circle
        QCOMPARE(qAlpha(layered.pixel(100, 30)), 0xC8);
        QCOMPARE(qAlpha(layered.pixel(68, 78)), 0);
    }
};

QTEST_GUILESS_MAIN(TestRender)
#include "tst_render.moc"
