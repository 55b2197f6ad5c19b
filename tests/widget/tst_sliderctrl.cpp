// The trackbar's notification codes, in order, for keys, channel clicks and drags.

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include "config/SliderCtrl.h"

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

} // namespace

class TestSliderCtrl : public QObject {
    Q_OBJECT

    std::unique_ptr<Probe> m_slider;
    Codes m_codes, m_positions;  // of every Scroll notification

    void Make(Qt::Orientation o, int pos)
    {
        m_slider = std::make_unique<Probe>(o);
        m_slider->SetRange(0, 10, 1);
        m_slider->SetPageSize(3);
        m_slider->SetPos(pos);
        m_slider->resize(o == Qt::Horizontal ? QSize(220, 30) : QSize(30, 220));
        m_slider->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_slider.get()));
        m_codes.clear();
        m_positions.clear();
        connect(m_slider.get(), &CSliderCtrl::Scroll, this, [this](int code, int pos) {
            m_codes << code;
            m_positions << pos;
        });
    }

private slots:
    // key 0: a click in the channel, before (0) or after (1) the thumb.
    void sequences_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("afterThumb");
        QTest::addColumn<Codes>("codes");
        QTest::addColumn<int>("end");
        const int h = Qt::Horizontal, v = Qt::Vertical;
        QTest::newRow("Right") << h << int(Qt::Key_Right) << false << Codes{TB_LINEDOWN, TB_ENDTRACK} << 6;
        QTest::newRow("Left") << h << int(Qt::Key_Left) << false << Codes{TB_LINEUP, TB_ENDTRACK} << 4;
        QTest::newRow("PageDown") << h << int(Qt::Key_PageDown) << false << Codes{TB_PAGEDOWN, TB_ENDTRACK} << 8;
        QTest::newRow("Home") << h << int(Qt::Key_Home) << false << Codes{TB_TOP, TB_ENDTRACK} << 0;
        QTest::newRow("End") << h << int(Qt::Key_End) << false << Codes{TB_BOTTOM, TB_ENDTRACK} << 10;
        // Minimum at the top: Down and a click above the thumb move as on a horizontal one.
        QTest::newRow("vertical Down") << v << int(Qt::Key_Down) << false << Codes{TB_LINEDOWN, TB_ENDTRACK} << 6;
        QTest::newRow("right of thumb") << h << 0 << true << Codes{TB_PAGEDOWN, TB_ENDTRACK} << 8;
        QTest::newRow("above thumb") << v << 0 << false << Codes{TB_PAGEUP, TB_ENDTRACK} << 2;
    }
    void sequences()
    {
        QFETCH(int, orientation);
        QFETCH(int, key);
        QFETCH(bool, afterThumb);
        QFETCH(Codes, codes);
        QFETCH(int, end);
        Make(Qt::Orientation(orientation), 5);
        const QRect r = m_slider->rect(), handle = m_slider->Handle();
        const QPoint at = orientation == Qt::Horizontal
            ? QPoint(afterThumb ? r.right() - 2 : r.left() + 2, handle.center().y())
            : QPoint(handle.center().x(), afterThumb ? r.bottom() - 2 : r.top() + 2);
        if (key)
            QTest::keyPress(m_slider.get(), Qt::Key(key));
        else
            Mouse(m_slider.get(), QEvent::MouseButtonPress, at);
        QCOMPARE(m_codes, codes.mid(0, 1));  // ENDTRACK waits for the release
        if (key)
            QTest::keyRelease(m_slider.get(), Qt::Key(key));
        else
            Mouse(m_slider.get(), QEvent::MouseButtonRelease, at);
        QCOMPARE(m_codes, codes);
        QCOMPARE(m_slider->GetPos(), end);
    }

    void dragTracksEveryPosition()
    {
        Make(Qt::Horizontal, 2);
        QPoint p = m_slider->Handle().center();
        Mouse(m_slider.get(), QEvent::MouseButtonPress, p);
        while (p.x() < m_slider->width()) {
            p.rx() += 6;
            Mouse(m_slider.get(), QEvent::MouseMove, p);
        }
        Mouse(m_slider.get(), QEvent::MouseButtonRelease, p);

        QCOMPARE(m_codes, Codes(8, TB_THUMBTRACK) << TB_THUMBPOSITION << TB_ENDTRACK);
        QCOMPARE(m_positions.mid(0, 9), (Codes{3, 4, 5, 6, 7, 8, 9, 10, 10}));
    }
};

QTEST_MAIN(TestSliderCtrl)
#include "tst_sliderctrl.moc"
