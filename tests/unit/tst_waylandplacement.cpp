// The layer surface's choices without a compositor: the output and margins
// for a place on the desktop, and how a live surface follows a change.

#include <QTest>

#include "platform/WaylandPlacement.h"

using namespace platform::wayland;

Q_DECLARE_METATYPE(std::vector<platform::wayland::OutputGeometry>)
Q_DECLARE_METATYPE(platform::wayland::Change)
Q_DECLARE_METATYPE(platform::wayland::SurfaceState)

namespace {

// Two 1280x1024 outputs side by side, the second at scale 2 (640x512 logical).
const std::vector<OutputGeometry> kPair = {{31, QRect(0, 0, 1280, 1024), 1}, {32, QRect(1280, 0, 640, 512), 2}};

} // namespace

class TestWaylandPlacement : public QObject {
    Q_OBJECT
private slots:
    void place_data()
    {
        QTest::addColumn<std::vector<OutputGeometry>>("outputs");
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("output");
        QTest::addColumn<QPoint>("margins");
        QTest::addColumn<int>("scale");

        const QSize clock(200, 200);
        QTest::newRow("on the first") << kPair << QPoint(100, 50) << clock << 0 << QPoint(100, 50) << 1;
        QTest::newRow("first's last column") << kPair << QPoint(1279, 0) << clock << 0 << QPoint(1279, 0) << 1;
        QTest::newRow("second's first column") << kPair << QPoint(1280, 0) << clock << 1 << QPoint(0, 0) << 2;
        QTest::newRow("on the second") << kPair << QPoint(1400, 300) << clock << 1 << QPoint(120, 300) << 2;
        // Below the smaller second output: on neither, so on the first, kept whole.
        QTest::newRow("below the second") << kPair << QPoint(1400, 600) << clock << 0 << QPoint(1080, 600) << 1;
        QTest::newRow("left of everything") << kPair << QPoint(-50, -10) << clock << 0 << QPoint(0, 0) << 1;
        QTest::newRow("larger than the output")
            << kPair << QPoint(3000, 2000) << QSize(1500, 1100) << 0 << QPoint(0, 0) << 1;
        const std::vector<OutputGeometry> leftOfOrigin = {{7, QRect(0, 0, 1280, 1024), 1},
                                                          {8, QRect(-1024, -200, 1024, 768), 1}};
        QTest::newRow("negative origin") << leftOfOrigin << QPoint(-1000, -100) << clock << 1 << QPoint(24, 100) << 1;
        const std::vector<OutputGeometry> mirrored = {{1, QRect(0, 0, 800, 600), 1}, {2, QRect(0, 0, 800, 600), 3}};
        QTest::newRow("mirrored: the first") << mirrored << QPoint(10, 10) << clock << 0 << QPoint(10, 10) << 1;
        QTest::newRow("no outputs") << std::vector<OutputGeometry>{} << QPoint(10, 10) << clock << -1 << QPoint() << 1;
    }

    void place()
    {
        QFETCH(std::vector<OutputGeometry>, outputs);
        QFETCH(QPoint, topLeft);
        QFETCH(QSize, size);
        QFETCH(int, output);
        QFETCH(QPoint, margins);
        QFETCH(int, scale);
        const Placement p = Place(outputs, topLeft, size);
        QCOMPARE(p.output, output);
        QCOMPARE(p.margins, margins);
        QCOMPARE(p.scale, scale);
    }

    // Top-most goes over the normal windows, not over full-screen ones
    // (overlay), as with a top-most X11 window; anything else goes under them.
    void layerForTopMost()
    {
        QCOMPARE(LayerFor(true), Layer::Top);
        QCOMPARE(LayerFor(false), Layer::Bottom);
    }

    void change_data()
    {
        QTest::addColumn<SurfaceState>("live");
        QTest::addColumn<SurfaceState>("wanted");
        QTest::addColumn<Change>("change");

        const SurfaceState below{31, Layer::Bottom, QPoint(10, 20), QSize(200, 200)};
        const SurfaceState above{31, Layer::Top, QPoint(10, 20), QSize(200, 200)};
        QTest::newRow("as it is") << below << below << Change::None;
        QTest::newRow("moved") << below << SurfaceState{31, Layer::Bottom, QPoint(11, 20), QSize(200, 200)}
                               << Change::Update;
        QTest::newRow("resized") << above << SurfaceState{31, Layer::Top, QPoint(10, 20), QSize(90, 90)}
                                 << Change::Update;
        // A compositor may ignore set_layer: the surface is made again.
        QTest::newRow("top-most on") << below << above << Change::Recreate;
        QTest::newRow("top-most off") << above << below << Change::Recreate;
        // The output is fixed when a surface is made.
        QTest::newRow("other output") << below << SurfaceState{32, Layer::Bottom, QPoint(10, 20), QSize(200, 200)}
                                      << Change::Recreate;
        QTest::newRow("moved to another output, top-most on")
            << below << SurfaceState{32, Layer::Top, QPoint(0, 0), QSize(200, 200)} << Change::Recreate;
    }

    void change()
    {
        QFETCH(SurfaceState, live);
        QFETCH(SurfaceState, wanted);
        QFETCH(Change, change);
        QCOMPARE(ChangeFor(live, wanted), change);
    }
};

QTEST_MAIN(TestWaylandPlacement)
#include "tst_waylandplacement.moc"
