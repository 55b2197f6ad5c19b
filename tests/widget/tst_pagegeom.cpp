// The Geometry page on a real clock window: ranges from the screen, the
// sliders moving and resizing the clock live and keeping the focus, the
// notifications that change nothing, and the thickness reset.

#include <QTest>

#include "PageTestSupport.h"
#include "config/PageGeom.h"
#include "config/SliderCtrl.h"

using namespace pagetest;

namespace {

// Range, tick frequency, page size and position.
using Range = QList<int>;
Range RangeOf(const CSliderCtrl* s)
{
    return {s->GetRangeMin(), s->GetRangeMax(), s->tickInterval(), s->GetPageSize(), s->GetPos()};
}
QRect ClockRect() { return QRect(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize, theApp.m_nSize); }
enum SliderId { X = 1005, Y = 1002, Size = 1004 };

} // namespace

class TestPageGeom : public QObject {
    Q_OBJECT

private slots:
    void rangesFollowTheScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<Range>("x");
        QTest::addColumn<Range>("y");
        QTest::newRow("landscape") << QSize(1024, 768) << Range{-1024, 1024, 204, 204, 100}
                                   << Range{-768, 768, 153, 153, -20};
        QTest::newRow("portrait") << QSize(768, 1024) << Range{-768, 768, 153, 153, 100}
                                  << Range{-1024, 1024, 204, 204, -20};
    }
    void rangesFollowTheScreen()
    {
        QFETCH(QSize, screen);
        QFETCH(Range, x);
        QFETCH(Range, y);
        Bench bench([&] {
            theApp.SetScreenSize(screen);
            theApp.m_nLeft = 100;
            theApp.m_nTop = -20;
            theApp.m_nSize = 300;
            theApp.m_nHourWidth = 5;
        });
        auto* page = bench.Open<CPageGeom>(Bench::kGeometry);
        QCOMPARE(RangeOf(page->m_sliderX), x);
        QCOMPARE(RangeOf(page->m_sliderY), y);
        QCOMPARE(RangeOf(page->m_sliderSize), (Range{1, 768, 153, 76, 300}));
        QCOMPARE(RangeOf(page->m_sliderWidth), (Range{0, 12, 1, 1, 5}));
    }

    void slidersMoveAndResizeTheClock_data()
    {
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("key");
        QTest::addColumn<QRect>("clock");
        // The defaults on 1024 x 768: left 128, top 0, size 768.
        QTest::newRow("X Right") << int(X) << int(Qt::Key_Right) << QRect(129, 0, 768, 768);
        QTest::newRow("Y PageUp") << int(Y) << int(Qt::Key_PageUp) << QRect(128, -153, 768, 768);
        QTest::newRow("size Left") << int(Size) << int(Qt::Key_Left) << QRect(128, 0, 767, 767);
    }
    void slidersMoveAndResizeTheClock()
    {
        QFETCH(int, slider);
        QFETCH(int, key);
        QFETCH(QRect, clock);
        Bench bench;
        auto* page = bench.Open<CPageGeom>(Bench::kGeometry);
        auto* s = qobject_cast<CSliderCtrl*>(page->GetDlgItem(slider));
        page->m_sliderWidth->setFocus();

        // Live: the key press moves the clock before the release.
        QTest::keyPress(s, Qt::Key(key));
        QCOMPARE(ClockRect(), clock);
        QCOMPARE(bench.clock.geometry(), clock);
        QCOMPARE(theApp.m_bModified, 1);
        QCOMPARE(bench.dlg->focusWidget(), s);

        // The release's TB_ENDTRACK finds nothing new.
        theApp.m_bModified = 0;
        QTest::keyRelease(s, Qt::Key(key));
        QCOMPARE(theApp.m_bModified, 0);
    }

    void unchangedPositionOnlyTakesTheFocus_data()
    {
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("key");
        QTest::newRow("X Right at the right end") << int(X) << int(Qt::Key_Right);
        QTest::newRow("size End at the largest") << int(Size) << int(Qt::Key_End);
    }
    void unchangedPositionOnlyTakesTheFocus()
    {
        QFETCH(int, slider);
        QFETCH(int, key);
        Bench bench([] { theApp.m_nLeft = 1024; });
        auto* page = bench.Open<CPageGeom>(Bench::kGeometry);
        const QRect before = ClockRect();
        // Anything the page did to the window would show.
        bench.clock.setGeometry(10, 20, 30, 30);
        page->m_sliderWidth->setFocus();
        QTest::keyClick(page->GetDlgItem(slider), Qt::Key(key));
        QCOMPARE(ClockRect(), before);
        QCOMPARE(bench.clock.geometry(), QRect(10, 20, 30, 30));
        QCOMPARE(theApp.m_bModified, 0);
        QCOMPARE(bench.dlg->focusWidget(), page->GetDlgItem(slider));
    }

    void draggingMovesTheClockAtEveryStep()
    {
        Bench bench;
        CSliderCtrl* s = bench.Open<CPageGeom>(Bench::kGeometry)->m_sliderX;
        const QPoint grab = SliderThumb(s).center();
        Mouse(s, QEvent::MouseButtonPress, grab);
        int last = theApp.m_nLeft;
        for (int dx : {15, 30, 10}) {
            Mouse(s, QEvent::MouseMove, grab + QPoint(dx, 0));
            QVERIFY(s->GetPos() != last);
            last = s->GetPos();
            QCOMPARE(bench.clock.x(), last);
        }
    }

    void thicknessWritesAllFiveAndRedraws_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("afterPress");  // -1: the press does nothing
        QTest::addColumn<int>("afterRelease");
        QTest::newRow("Right") << int(Qt::Key_Right) << 3 << 4 << 4;
        // TB_BOTTOM is left to the TB_ENDTRACK that follows it.
        QTest::newRow("End") << int(Qt::Key_End) << 3 << -1 << 12;
        // Nothing moves at the end, yet the parts are made one thickness.
        QTest::newRow("Left at 0") << int(Qt::Key_Left) << 0 << -1 << 0;
    }
    void thicknessWritesAllFiveAndRedraws()
    {
        QFETCH(int, key);
        QFETCH(int, hour);
        QFETCH(int, afterPress);
        QFETCH(int, afterRelease);
        Bench bench([&] {
            theApp.m_nHourWidth = hour;
            theApp.m_nDialWidth = 1;
            theApp.m_nSecondsWidth = 5;
            theApp.m_nMinuteWidth = 7;
            theApp.m_nDateWidth = 9;
        });
        auto* page = bench.Open<CPageGeom>(Bench::kGeometry);
        const auto widths = [] {
            return QList<int>{theApp.m_nDialWidth, theApp.m_nSecondsWidth, theApp.m_nMinuteWidth,
                              theApp.m_nHourWidth, theApp.m_nDateWidth};
        };
        const QList<int> before = widths();
        QTest::keyPress(page->m_sliderWidth, Qt::Key(key));
        QCOMPARE(widths(), afterPress < 0 ? before : QList<int>(5, afterPress));
        QCOMPARE(bench.FaceMade(), afterPress >= 0);
        bench.DropRenderer();
        theApp.m_bModified = 0;
        QTest::keyRelease(page->m_sliderWidth, Qt::Key(key));
        // Written, marked and drawn again, changed or not.
        QCOMPARE(widths(), QList<int>(5, afterRelease));
        QCOMPARE(theApp.m_bModified, 1);
        QVERIFY(bench.FaceMade());
    }
};

QTEST_MAIN(TestPageGeom)
#include "tst_pagegeom.moc"
