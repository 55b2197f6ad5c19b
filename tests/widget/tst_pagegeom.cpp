// The Geometry page on a real clock window: the sliders move and resize the
// clock live and keep the focus; the thickness slider resets all five parts.

#include <QTest>

#include "PageTestSupport.h"
#include "config/PageGeom.h"
#include "config/SliderCtrl.h"

using namespace pagetest;

namespace {

QRect ClockRect() { return QRect(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize, theApp.m_nSize); }
enum SliderId { X = 1005, Y = 1002, Size = 1004 };

} // namespace

class TestPageGeom : public QObject {
    Q_OBJECT

private slots:
    void slidersMoveAndResizeTheClock_data()
    {
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("key");
        QTest::addColumn<QRect>("clock");
        // From the defaults on 1024 x 768: left 128, top 0, size 768.
        QTest::newRow("X Right") << int(X) << int(Qt::Key_Right) << QRect(129, 0, 768, 768);
        QTest::newRow("Y PageUp") << int(Y) << int(Qt::Key_PageUp) << QRect(128, -153, 768, 768);
        QTest::newRow("size Left") << int(Size) << int(Qt::Key_Left) << QRect(128, 0, 767, 767);
        // Already at the end: nothing changes, but the slider takes the focus.
        QTest::newRow("size End unchanged") << int(Size) << int(Qt::Key_End) << QRect();
    }
    void slidersMoveAndResizeTheClock()
    {
        QFETCH(int, slider);
        QFETCH(int, key);
        QFETCH(QRect, clock);
        Bench bench;
        auto* page = bench.Open<CPageGeom>(kGeometry);
        auto* s = page->GetDlgItem(slider);
        const QRect before = ClockRect();
        if (clock.isNull())  // anything the page did to the window would show
            bench.clock.setGeometry(10, 20, 30, 30);
        page->m_sliderWidth->setFocus();
        QTest::keyClick(s, Qt::Key(key));
        QCOMPARE(ClockRect(), clock.isNull() ? before : clock);
        QCOMPARE(bench.clock.geometry(), clock.isNull() ? QRect(10, 20, 30, 30) : clock);
        QCOMPARE(theApp.m_bModified, clock.isNull() ? 0 : 1);
        QCOMPARE(bench.dlg->focusWidget(), s);
    }

    void failedResizeKeepsTheSize()
    {
        Bench bench([] { theApp.m_nSize = 300; });
        auto* page = bench.Open<CPageGeom>(kGeometry);
        bench.clock.setMaximumSize(300, 300);
        QTest::keyPress(page->m_sliderSize, Qt::Key_Right);
        QCOMPARE(bench.messages, QStringList{"SetWindowPos failed!"});
        QCOMPARE(theApp.m_nSize, 300);
        QCOMPARE(bench.dlg->focusWidget(), page->m_sliderSize);
    }

    void thicknessWritesAllFiveAndRedraws_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("after");
        QTest::newRow("Right") << int(Qt::Key_Right) << 3 << 4;
        // Nothing moves at the end, yet the parts are made one thickness.
        QTest::newRow("Left at 0") << int(Qt::Key_Left) << 0 << 0;
    }
    void thicknessWritesAllFiveAndRedraws()
    {
        QFETCH(int, key);
        QFETCH(int, hour);
        QFETCH(int, after);
        Bench bench([&] { theApp.m_nHourWidth = hour; });  // the other four stay at 2
        auto* page = bench.Open<CPageGeom>(kGeometry);
        QTest::keyClick(page->m_sliderWidth, Qt::Key(key));
        const QList<int> widths{theApp.m_nDialWidth, theApp.m_nSecondsWidth, theApp.m_nMinuteWidth,
                                theApp.m_nHourWidth, theApp.m_nDateWidth};
        QCOMPARE(widths, QList<int>(5, after));
        QCOMPARE(theApp.m_bModified, 1);
        QVERIFY(bench.ShowsSettings());
    }
};

QTEST_MAIN(TestPageGeom)
#include "tst_pagegeom.moc"
