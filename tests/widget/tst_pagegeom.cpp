// The Geometry page on a real clock window: ranges from the screen, the
// sliders moving and resizing the clock live and keeping the focus, the
// notifications that change nothing, the thickness reset, and a resize the
// window refuses.

#include <QTest>

#include "ClockPageFixture.h"
#include "config/PageGeom.h"
#include "config/SliderCtrl.h"

namespace {

// Range, tick frequency, page size and position.
using Range = QList<int>;

Range RangeOf(const CSliderCtrl* s)
{
    return {s->GetRangeMin(), s->GetRangeMax(), s->tickInterval(), s->GetPageSize(), s->GetPos()};
}

enum SliderId { X = 1005, Y = 1002, Size = 1004, Width = 1003 };

} // namespace

class TestPageGeom : public QObject {
    Q_OBJECT

    std::unique_ptr<ClockPageFixture> m_f;

    template <class Setup>
    CPageGeom* Open(Setup setUp)
    {
        m_f = std::make_unique<ClockPageFixture>(ClockPageFixture::kGeometry, setUp);
        return m_f->page<CPageGeom>();
    }
    CPageGeom* Open() { return Open([] {}); }
    CSliderCtrl* Slider(int id) { return qobject_cast<CSliderCtrl*>(m_f->page<CPageGeom>()->GetDlgItem(id)); }
    QRect ClockRect() const { return QRect(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize, theApp.m_nSize); }

private slots:
    void cleanup() { m_f.reset(); }

    void rangesFollowTheScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<Range>("x");
        QTest::addColumn<Range>("y");
        QTest::addColumn<Range>("size");
        QTest::newRow("landscape") << QSize(1024, 768) << Range{-1024, 1024, 204, 204, 100}
                                   << Range{-768, 768, 153, 153, -20} << Range{1, 768, 153, 76, 300};
        QTest::newRow("portrait") << QSize(768, 1024) << Range{-768, 768, 153, 153, 100}
                                  << Range{-1024, 1024, 204, 204, -20} << Range{1, 768, 153, 76, 300};
    }
    void rangesFollowTheScreen()
    {
        QFETCH(QSize, screen);
        QFETCH(Range, x);
        QFETCH(Range, y);
        QFETCH(Range, size);
        CPageGeom* page = Open([&] {
            theApp.SetScreenSize(screen);
            theApp.m_nLeft = 100;
            theApp.m_nTop = -20;
            theApp.m_nSize = 300;
            theApp.m_nHourWidth = 5;
            theApp.m_nDialWidth = 9;
        });
        QCOMPARE(RangeOf(page->m_sliderX), x);
        QCOMPARE(RangeOf(page->m_sliderY), y);
        QCOMPARE(RangeOf(page->m_sliderSize), size);
        QCOMPARE(RangeOf(page->m_sliderWidth), (Range{0, 12, 1, 1, 5}));
        QCOMPARE(page->m_sliderY->orientation(), Qt::Vertical);
        QCOMPARE(page->m_sliderX->GetLineSize(), 1);
        QCOMPARE(theApp.m_bModified, 0);

        // Set once: changes made elsewhere later (the Hour page's thickness)
        // do not move the sliders.
        theApp.m_nLeft = 0;
        theApp.m_nHourWidth = 11;
        m_f->dlg->GetSheet().SetActivePage(ClockPageFixture::kColors);
        m_f->dlg->GetSheet().SetActivePage(ClockPageFixture::kGeometry);
        QCOMPARE(RangeOf(page->m_sliderX), x);
        QCOMPARE(page->m_sliderWidth->GetPos(), 5);
    }

    void slidersMoveAndResizeTheClock_data()
    {
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("key");
        QTest::addColumn<QRect>("clock");
        // The defaults on 1024 x 768: left 128, top 0, size 768.
        QTest::newRow("X Right") << int(X) << int(Qt::Key_Right) << QRect(129, 0, 768, 768);
        QTest::newRow("X PageUp") << int(X) << int(Qt::Key_PageUp) << QRect(128 - 204, 0, 768, 768);
        QTest::newRow("Y Down") << int(Y) << int(Qt::Key_Down) << QRect(128, 1, 768, 768);
        QTest::newRow("Y PageUp") << int(Y) << int(Qt::Key_PageUp) << QRect(128, -153, 768, 768);
        QTest::newRow("size Left") << int(Size) << int(Qt::Key_Left) << QRect(128, 0, 767, 767);
        QTest::newRow("size PageUp") << int(Size) << int(Qt::Key_PageUp) << QRect(128, 0, 692, 692);
    }
    void slidersMoveAndResizeTheClock()
    {
        QFETCH(int, slider);
        QFETCH(int, key);
        QFETCH(QRect, clock);
        CPageGeom* page = Open();
        CSliderCtrl* s = Slider(slider);
        page->m_sliderWidth->setFocus();

        // Live: the key press moves the clock before the release.
        QTest::keyPress(s, Qt::Key(key));
        QCOMPARE(ClockRect(), clock);
        QCOMPARE(m_f->clock->geometry(), clock);
        QCOMPARE(theApp.m_bModified, 1);
        QCOMPARE(m_f->dlg->focusWidget(), s);

        // The release's TB_ENDTRACK finds nothing new.
        theApp.m_bModified = 0;
        QTest::keyRelease(s, Qt::Key(key));
        QCOMPARE(theApp.m_bModified, 0);
        QCOMPARE(m_f->clock->geometry(), clock);
        QVERIFY(!m_f->Redrawn());  // the window repaints itself when resized
    }

    void unchangedPositionOnlyTakesTheFocus_data()
    {
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("key");
        QTest::newRow("X Right at the right end") << int(X) << int(Qt::Key_Right);
        QTest::newRow("Y Up at the top") << int(Y) << int(Qt::Key_Up);
        QTest::newRow("size End at the largest") << int(Size) << int(Qt::Key_End);
    }
    void unchangedPositionOnlyTakesTheFocus()
    {
        QFETCH(int, slider);
        QFETCH(int, key);
        CPageGeom* page = Open([] {
            theApp.m_nLeft = 1024;
            theApp.m_nTop = -768;
        });
        const QRect before = ClockRect();
        // Anything the page did to the window would show.
        m_f->clock->setGeometry(10, 20, 30, 30);
        page->m_sliderWidth->setFocus();
        QTest::keyClick(Slider(slider), Qt::Key(key));
        QCOMPARE(ClockRect(), before);
        QCOMPARE(m_f->clock->geometry(), QRect(10, 20, 30, 30));
        QCOMPARE(theApp.m_bModified, 0);
        QCOMPARE(m_f->dlg->focusWidget(), Slider(slider));
    }

    void draggingMovesTheClockAtEveryStep()
    {
        CPageGeom* page = Open();
        CSliderCtrl* s = page->m_sliderX;
        const QPoint grab = SliderHandle(s).center();
        SendMouse(s, QEvent::MouseButtonPress, grab);
        int last = theApp.m_nLeft;
        for (int dx : {15, 30, 10}) {
            SendMouse(s, QEvent::MouseMove, grab + QPoint(dx, 0));
            QVERIFY(s->GetPos() != last);
            last = s->GetPos();
            QCOMPARE(theApp.m_nLeft, last);
            QCOMPARE(m_f->clock->x(), last);
        }
        theApp.m_bModified = 0;
        m_f->clock->move(0, 0);
        SendMouse(s, QEvent::MouseButtonRelease, grab + QPoint(10, 0));
        // Neither TB_THUMBPOSITION nor the TB_ENDTRACK after it has anything to do.
        QCOMPARE(m_f->clock->pos(), QPoint(0, 0));
        QCOMPARE(theApp.m_bModified, 0);
    }

    void thicknessWritesAllFiveAndRedraws_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("afterPress");  // -1: the press does nothing
        QTest::addColumn<int>("afterRelease");
        QTest::newRow("Right") << int(Qt::Key_Right) << 3 << 4 << 4;
        QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 3 << 4 << 4;
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
        CPageGeom* page = Open([&] {
            theApp.m_nHourWidth = hour;
            theApp.m_nDialWidth = 1;
            theApp.m_nSecondsWidth = 5;
            theApp.m_nMinuteWidth = 7;
            theApp.m_nDateWidth = 9;
        });
        const auto widths = [] {
            return QList<int>{theApp.m_nDialWidth, theApp.m_nSecondsWidth, theApp.m_nMinuteWidth,
                              theApp.m_nHourWidth, theApp.m_nDateWidth};
        };
        const QList<int> before = widths();
        QTest::keyPress(page->m_sliderWidth, Qt::Key(key));
        if (afterPress < 0) {
            QCOMPARE(widths(), before);
            QVERIFY(!m_f->Redrawn());
        } else {
            QCOMPARE(widths(), QList<int>(5, afterPress));
            QVERIFY(m_f->Redrawn());
        }
        m_f->DropRenderer();
        theApp.m_bModified = 0;
        QTest::keyRelease(page->m_sliderWidth, Qt::Key(key));
        // Written, marked and drawn again, changed or not.
        QCOMPARE(widths(), QList<int>(5, afterRelease));
        QCOMPARE(theApp.m_bModified, 1);
        QVERIFY(m_f->Redrawn());
    }

    void refusedResizeKeepsTheOldSize()
    {
        CPageGeom* page = Open([] { theApp.m_nSize = 300; });
        m_f->clock->setMaximumSize(300, 300);
        CSliderCtrl* s = page->m_sliderSize;

        QTest::keyPress(s, Qt::Key_Right);
        QCOMPARE(m_f->messages, QStringList{"SetWindowPos failed!"});
        QCOMPARE(theApp.m_nSize, 300);
        QCOMPARE(s->GetPos(), 301);
        QCOMPARE(theApp.m_bModified, 1);
        QCOMPARE(m_f->dlg->focusWidget(), s);

        // The next notification tries again.
        m_f->clock->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        QTest::keyRelease(s, Qt::Key_Right);
        QCOMPARE(m_f->messages.size(), 1);
        QCOMPARE(theApp.m_nSize, 301);
        QCOMPARE(m_f->clock->size(), QSize(301, 301));
    }
};

QTEST_MAIN(TestPageGeom)
#include "tst_pagegeom.moc"
