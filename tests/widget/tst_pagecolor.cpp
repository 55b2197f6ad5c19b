// The Colors page on a real clock window: the opacity slider's codes and their
// live effect on the window's blending, the clear colour, and the two buttons
// that give all five parts one fill or one line colour.

#include <QTest>

#include "ClockPageFixture.h"
#include "config/ColorButton.h"
#include "config/PageColor.h"
#include "config/SliderCtrl.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

QList<COLORREF> Fills()
{
    return {theApp.m_crDialFill, theApp.m_crSecondsFill, theApp.m_crMinuteFill, theApp.m_crHourFill,
            theApp.m_crDateFill};
}

QList<COLORREF> Frames()
{
    return {theApp.m_crDialFrame, theApp.m_crSecondsFrame, theApp.m_crMinuteFrame, theApp.m_crHourFrame,
            theApp.m_crDateFrame};
}

// Every part with colours of its own, so that a missed one shows.
void DistinctColours()
{
    theApp.m_crDialFill = RGB(1, 1, 1);
    theApp.m_crSecondsFill = RGB(2, 2, 2);
    theApp.m_crMinuteFill = RGB(3, 3, 3);
    theApp.m_crHourFill = RGB(4, 4, 4);
    theApp.m_crDateFill = RGB(5, 5, 5);
    theApp.m_crDialFrame = RGB(11, 0, 0);
    theApp.m_crSecondsFrame = RGB(12, 0, 0);
    theApp.m_crMinuteFrame = RGB(13, 0, 0);
    theApp.m_crHourFrame = RGB(14, 0, 0);
    theApp.m_crDateFrame = RGB(15, 0, 0);
    theApp.m_crDialBackground = RGB(20, 30, 40);
    theApp.m_crClear = RGB(0, 255, 0);
    theApp.m_nOpacity = 200;
}

} // namespace

class TestPageColor : public QObject {
    Q_OBJECT

    std::unique_ptr<ClockPageFixture> m_f;

    template <class Setup>
    CPageColor* Open(Setup setUp)
    {
        m_f = std::make_unique<ClockPageFixture>(ClockPageFixture::kColors, setUp);
        return m_f->page<CPageColor>();
    }
    const LayeredSurface& Surface() const { return m_f->clock->Surface(); }

private slots:
    void cleanup() { m_f.reset(); }

    void opacityKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("afterPress");
        QTest::addColumn<int>("afterRelease");
        QTest::newRow("Right at 128") << int(Qt::Key_Right) << 128 << 129 << 129;
        QTest::newRow("Left at 128") << int(Qt::Key_Left) << 128 << 127 << 127;
        QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 128 << 153 << 153;
        QTest::newRow("PageUp near 0") << int(Qt::Key_PageUp) << 10 << 0 << 0;
        // TB_TOP and TB_BOTTOM are not acted on; the TB_ENDTRACK after them is.
        QTest::newRow("Home") << int(Qt::Key_Home) << 128 << 128 << 0;
        QTest::newRow("End") << int(Qt::Key_End) << 128 << 128 << 255;
    }
    void opacityKeys()
    {
        QFETCH(int, key);
        QFETCH(int, start);
        QFETCH(int, afterPress);
        QFETCH(int, afterRelease);
        CPageColor* page = Open([&] {
            DistinctColours();
            theApp.m_nOpacity = start;
        });
        QCOMPARE(Surface().Alpha(), start);
        QCOMPARE(page->m_sliderOpacity->tickInterval(), 51);

        QTest::keyPress(page->m_sliderOpacity, Qt::Key(key));
        QCOMPARE(theApp.m_nOpacity, afterPress);
        QCOMPARE(Surface().Alpha(), afterPress);
        QCOMPARE(theApp.m_bModified, afterPress != start ? 1 : 0);

        theApp.m_bModified = 0;
        QTest::keyRelease(page->m_sliderOpacity, Qt::Key(key));
        QCOMPARE(theApp.m_nOpacity, afterRelease);
        QCOMPARE(Surface().Alpha(), afterRelease);
        QCOMPARE(theApp.m_bModified, afterRelease != afterPress ? 1 : 0);
        QCOMPARE(Surface().Key(), theApp.m_crClear);
        // The window blends its picture anew; the face is not drawn again.
        QVERIFY(!m_f->Redrawn());
    }

    void draggingChangesTheOpacityAsItGoes()
    {
        CPageColor* page = Open([] { theApp.m_nOpacity = 128; });
        CSliderCtrl* s = page->m_sliderOpacity;
        const QPoint grab = SliderHandle(s).center();
        SendMouse(s, QEvent::MouseButtonPress, grab);
        int last = 128;
        for (int dx : {-20, -40, 25}) {
            SendMouse(s, QEvent::MouseMove, grab + QPoint(dx, 0));
            QVERIFY(s->GetPos() != last);
            last = s->GetPos();
            QCOMPARE(theApp.m_nOpacity, last);
            QCOMPARE(Surface().Alpha(), last);
        }
        theApp.m_bModified = 0;
        SendMouse(s, QEvent::MouseButtonRelease, grab + QPoint(25, 0));
        QCOMPARE(theApp.m_bModified, 0);
        QCOMPARE(theApp.m_nOpacity, last);
    }

    void clearColour_data()
    {
        QTest::addColumn<ChooserAnswer>("answer");
        QTest::addColumn<bool>("changes");
        QTest::newRow("other colour") << ChooserAnswer{true, kRed} << true;
        QTest::newRow("same colour") << ChooserAnswer{true, RGB(0, 255, 0)} << false;
        QTest::newRow("cancelled") << ChooserAnswer{false, kRed} << false;
    }
    void clearColour()
    {
        QFETCH(ChooserAnswer, answer);
        QFETCH(bool, changes);
        CPageColor* page = Open(DistinctColours);
        const QList<COLORREF> fills = Fills(), frames = Frames();
        const COLORREF expected = changes ? kRed : RGB(0, 255, 0);
        m_f->answers << answer;
        QTest::mouseClick(page->m_btnClear, Qt::LeftButton);

        QCOMPARE(m_f->asked, QList<COLORREF>{RGB(0, 255, 0)});
        QCOMPARE(theApp.m_crClear, expected);
        QCOMPARE(page->m_btnClear->m_crColor, expected);
        QCOMPARE(Surface().Key(), expected);
        QCOMPARE(Surface().Alpha(), 200);
        QCOMPARE(theApp.m_bModified, changes ? 1 : 0);
        QCOMPARE(m_f->Redrawn(), changes);
        QCOMPARE(Fills(), fills);
        QCOMPARE(Frames(), frames);
        QCOMPARE(theApp.m_crDialBackground, RGB(20, 30, 40));
    }

    void resetButtons_data()
    {
        QTest::addColumn<bool>("fill");
        QTest::addColumn<ChooserAnswer>("answer");
        QTest::newRow("fill red") << true << ChooserAnswer{true, kRed};
        // The hour hand's own colour still unifies the other four.
        QTest::newRow("fill as the hour hand") << true << ChooserAnswer{true, RGB(4, 4, 4)};
        QTest::newRow("fill cancelled") << true << ChooserAnswer{false, kRed};
        QTest::newRow("line red") << false << ChooserAnswer{true, kRed};
        QTest::newRow("line as the hour hand") << false << ChooserAnswer{true, RGB(14, 0, 0)};
        QTest::newRow("line cancelled") << false << ChooserAnswer{false, kRed};
    }
    void resetButtons()
    {
        QFETCH(bool, fill);
        QFETCH(ChooserAnswer, answer);
        CPageColor* page = Open(DistinctColours);
        const QList<COLORREF> fills = Fills(), frames = Frames();
        CColorButton* button = fill ? page->m_btnFillColor : page->m_btnLineColor;
        const COLORREF shown = button->m_crColor;
        m_f->answers << answer;
        // The keyboard works the button as the mouse does.
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);

        QCOMPARE(m_f->asked, QList<COLORREF>{fill ? RGB(4, 4, 4) : RGB(14, 0, 0)});
        const QList<COLORREF> changed = answer.ok ? QList<COLORREF>(5, answer.color) : (fill ? fills : frames);
        QCOMPARE(fill ? Fills() : Frames(), changed);
        QCOMPARE(fill ? Frames() : Fills(), fill ? frames : fills);
        QCOMPARE(button->m_crColor, answer.ok ? answer.color : shown);
        QCOMPARE(theApp.m_bModified, answer.ok ? 1 : 0);
        QCOMPARE(m_f->Redrawn(), answer.ok);
        QCOMPARE(theApp.m_crDialBackground, RGB(20, 30, 40));
        QCOMPARE(theApp.m_crClear, RGB(0, 255, 0));
        QCOMPARE(Surface().Key(), RGB(0, 255, 0));
    }

    void activationShowsTheHourColours()
    {
        CPageColor* page = Open(DistinctColours);
        QCOMPARE(page->m_btnClear->m_crColor, RGB(0, 255, 0));
        QCOMPARE(page->m_btnFillColor->m_crColor, RGB(4, 4, 4));
        QCOMPARE(page->m_btnLineColor->m_crColor, RGB(14, 0, 0));

        // Changed elsewhere, as the Hour page and a loaded store would.
        theApp.m_crHourFrame = RGB(0, 0, 99);
        theApp.m_crHourFill = RGB(0, 99, 0);
        theApp.m_nOpacity = 3;
        m_f->dlg->GetSheet().SetActivePage(ClockPageFixture::kGeometry);
        m_f->dlg->GetSheet().SetActivePage(ClockPageFixture::kColors);
        QCOMPARE(page->m_btnFillColor->m_crColor, RGB(0, 99, 0));
        QCOMPARE(page->m_btnLineColor->m_crColor, RGB(0, 0, 99));
        // The slider is positioned only when the page is first shown.
        QCOMPARE(page->m_sliderOpacity->GetPos(), 200);
    }
};

QTEST_MAIN(TestPageColor)
#include "tst_pagecolor.moc"
