// The trackbar's notifications: which codes, in which order, with which
// position, for keys, clicks in the channel, thumb drags and the wheel; and
// that a page's sliders reach its OnHScroll / OnVScroll.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include "config/PropertyPage.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

using Codes = QList<int>;

namespace {

class Probe : public CSliderCtrl {
public:
    using CSliderCtrl::CSliderCtrl;
    QRect Handle() const
    {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    }
};

void Mouse(QWidget* w, QEvent::Type type, QPoint pos)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

class RecordingPage : public CPropertyPage {
public:
    using CPropertyPage::CPropertyPage;
    struct Call {
        bool horizontal;
        int code;
        CSliderCtrl* slider;
    };
    QList<Call> calls;
    void OnHScroll(int nSBCode, int, CSliderCtrl* p) override { calls.append({true, nSBCode, p}); }
    void OnVScroll(int nSBCode, int, CSliderCtrl* p) override { calls.append({false, nSBCode, p}); }
};

} // namespace

class TestSliderCtrl : public QObject {
    Q_OBJECT

    std::unique_ptr<Probe> m_slider;
    std::unique_ptr<QSignalSpy> m_spy;

    Codes CodesSeen() const
    {
        Codes codes;
        for (const QList<QVariant>& args : *m_spy)
            codes << args.at(0).toInt();
        return codes;
    }
    void Make(Qt::Orientation o, int pos)
    {
        m_slider = std::make_unique<Probe>(o);
        m_slider->SetRange(0, 10, 1);
        m_slider->SetPageSize(3);
        m_slider->SetPos(pos);
        m_slider->resize(o == Qt::Horizontal ? QSize(220, 30) : QSize(30, 220));
        m_slider->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_slider.get()));
        m_spy = std::make_unique<QSignalSpy>(m_slider.get(), &CSliderCtrl::Scroll);
    }

private slots:
    void cleanup()
    {
        m_spy.reset();
        m_slider.reset();
    }

    void keys_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("start");
        QTest::addColumn<Codes>("codes");
        QTest::addColumn<int>("end");
        const int h = Qt::Horizontal, v = Qt::Vertical;
        QTest::newRow("Right") << h << int(Qt::Key_Right) << 5 << Codes{TB_LINEDOWN, TB_ENDTRACK} << 6;
        QTest::newRow("Left") << h << int(Qt::Key_Left) << 5 << Codes{TB_LINEUP, TB_ENDTRACK} << 4;
        QTest::newRow("PageDown") << h << int(Qt::Key_PageDown) << 5 << Codes{TB_PAGEDOWN, TB_ENDTRACK} << 8;
        QTest::newRow("End") << h << int(Qt::Key_End) << 5 << Codes{TB_BOTTOM, TB_ENDTRACK} << 10;
        // At an end nothing moves, but the release still ends the action.
        QTest::newRow("Left at minimum") << h << int(Qt::Key_Left) << 0 << Codes{TB_ENDTRACK} << 0;
        QTest::newRow("End at maximum") << h << int(Qt::Key_End) << 10 << Codes{TB_ENDTRACK} << 10;
        // A vertical slider grows downwards: Down raises the position.
        QTest::newRow("vertical Down") << v << int(Qt::Key_Down) << 5 << Codes{TB_LINEDOWN, TB_ENDTRACK} << 6;
    }
    void keys()
    {
        QFETCH(int, orientation);
        QFETCH(int, key);
        QFETCH(int, start);
        QFETCH(Codes, codes);
        QFETCH(int, end);
        Make(Qt::Orientation(orientation), start);
        QTest::keyClick(m_slider.get(), Qt::Key(key));
        QCOMPARE(CodesSeen(), codes);
        QCOMPARE(m_slider->GetPos(), end);
    }

    void heldKeyEndsOnceOnRelease()
    {
        Make(Qt::Horizontal, 5);
        QTest::keyPress(m_slider.get(), Qt::Key_Right);
        QTest::keyPress(m_slider.get(), Qt::Key_Right);
        QTest::keyRelease(m_slider.get(), Qt::Key_Right);
        QCOMPARE(CodesSeen(), (Codes{TB_LINEDOWN, TB_LINEDOWN, TB_ENDTRACK}));
        QCOMPARE(m_slider->GetPos(), 7);
    }

    void pageClicks_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("towardEnd");
        QTest::addColumn<Codes>("codes");
        QTest::addColumn<int>("end");
        QTest::newRow("right of thumb") << int(Qt::Horizontal) << true << Codes{TB_PAGEDOWN, TB_ENDTRACK} << 8;
        // Minimum at the top: above the thumb pages down in value.
        QTest::newRow("above thumb") << int(Qt::Vertical) << false << Codes{TB_PAGEUP, TB_ENDTRACK} << 2;
    }
    void pageClicks()
    {
        QFETCH(int, orientation);
        QFETCH(bool, towardEnd);
        QFETCH(Codes, codes);
        QFETCH(int, end);
        Make(Qt::Orientation(orientation), 5);
        const QRect handle = m_slider->Handle();
        const bool horizontal = orientation == Qt::Horizontal;
        const QRect r = m_slider->rect();
        const QPoint at = horizontal ? QPoint(towardEnd ? r.right() - 2 : r.left() + 2, handle.center().y())
                                     : QPoint(handle.center().x(), towardEnd ? r.bottom() - 2 : r.top() + 2);
        Mouse(m_slider.get(), QEvent::MouseButtonPress, at);
        Mouse(m_slider.get(), QEvent::MouseButtonRelease, at);
        QCOMPARE(CodesSeen(), codes);
        QCOMPARE(m_slider->GetPos(), end);
    }

    void dragTracksEveryPosition()
    {
        Make(Qt::Horizontal, 2);
        const QRect handle = m_slider->Handle();
        QPoint p = handle.center();
        Mouse(m_slider.get(), QEvent::MouseButtonPress, p);
        QVERIFY(m_spy->isEmpty());
        for (int i = 0; i < 40 && p.x() < m_slider->width(); ++i) {
            p.rx() += 6;
            Mouse(m_slider.get(), QEvent::MouseMove, p);
        }
        Mouse(m_slider.get(), QEvent::MouseButtonRelease, p);

        const Codes codes = CodesSeen();
        QVERIFY2(codes.size() >= 2 + 8, "one THUMBTRACK per position passed");
        QCOMPARE(codes.mid(codes.size() - 2), (Codes{TB_THUMBPOSITION, TB_ENDTRACK}));
        int last = 2;
        for (int i = 0; i < codes.size() - 2; ++i) {
            QCOMPARE(codes[i], TB_THUMBTRACK);
            const int pos = m_spy->at(i).at(1).toInt();
            QVERIFY(pos > last);
            last = pos;
        }
        QCOMPARE(last, 10);
        QCOMPARE(m_spy->at(codes.size() - 2).at(1).toInt(), 10);
        QCOMPARE(m_slider->GetPos(), 10);
    }

    void wheelMovesByLines()
    {
        Make(Qt::Horizontal, 8);
        const QPoint c = m_slider->rect().center();
        QWheelEvent e(QPointF(c), QPointF(m_slider->mapToGlobal(c)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_slider.get(), &e);
        QCOMPARE(CodesSeen(), (Codes{TB_LINEUP, TB_ENDTRACK}));
        QCOMPARE(m_slider->GetPos(), std::max(0, 8 - QApplication::wheelScrollLines()));
    }

    void pageGetsHScrollAndVScroll()
    {
        RecordingPage page(res::IDD_PAGE_GEOM);
        page.Activate();
        page.show();
        auto* x = qobject_cast<CSliderCtrl*>(page.GetDlgItem(1005));
        auto* y = qobject_cast<CSliderCtrl*>(page.GetDlgItem(1002));
        QVERIFY(x && y);
        QTest::keyClick(x, Qt::Key_Right);
        QTest::keyClick(y, Qt::Key_Down);
        QCOMPARE(page.calls.size(), 4);
        QVERIFY(page.calls[0].horizontal && page.calls[0].code == TB_LINEDOWN && page.calls[0].slider == x);
        QVERIFY(page.calls[1].horizontal && page.calls[1].code == TB_ENDTRACK);
        QVERIFY(!page.calls[2].horizontal && page.calls[2].code == TB_LINEDOWN && page.calls[2].slider == y);
        QVERIFY(!page.calls[3].horizontal && page.calls[3].code == TB_ENDTRACK);
    }
};

QTEST_MAIN(TestSliderCtrl)
#include "tst_sliderctrl.moc"
