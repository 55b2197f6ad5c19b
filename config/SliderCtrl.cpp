#include "config/SliderCtrl.h"

#include <algorithm>

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

namespace {

// Holding the mouse in the channel pages again after this delay, then at the
// repeat rate, until the thumb reaches the pointer.
constexpr int kPageDelayMs = 500;
constexpr int kPageRepeatMs = 100;

constexpr int kWheelNotch = 120;

bool IsTrackbarKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

// What assistive tools see of a trackbar: Qt's own slider interface would set
// the value behind the page's back, so the clock would not follow it.
class SliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SliderAccessible(CSliderCtrl* slider) : QAccessibleWidget(slider, QAccessible::Slider)
    {
        addControllingSignal(QStringLiteral("valueChanged(int)"));
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? QString::number(Slider()->value()) : QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return Slider()->value(); }
    void setCurrentValue(const QVariant& value) override { Slider()->UserSetPos(value.toInt()); }
    QVariant maximumValue() const override { return Slider()->maximum(); }
    QVariant minimumValue() const override { return Slider()->minimum(); }
    QVariant minimumStepSize() const override { return Slider()->singleStep(); }

private:
    CSliderCtrl* Slider() const { return static_cast<CSliderCtrl*>(widget()); }
};

QAccessibleInterface* SliderAccessibleFactory(const QString& className, QObject* object)
{
    auto* slider = qobject_cast<CSliderCtrl*>(object);
    if (slider && className == QLatin1String(CSliderCtrl::staticMetaObject.className()))
        return new SliderAccessible(slider);
    return nullptr;
}

} // namespace

CSliderCtrl::CSliderCtrl(QWidget* parent) : CSliderCtrl(Qt::Horizontal, parent) {}

CSliderCtrl::CSliderCtrl(Qt::Orientation orientation, QWidget* parent) : QSlider(parent)
{
    setOrientation(orientation);
    setRange(0, 100);
    setSingleStep(1);
    setPageStep(20);
    setTickInterval(1);
    setFocusPolicy(Qt::StrongFocus);
    static const bool accessible = (QAccessible::installFactory(SliderAccessibleFactory), true);
    Q_UNUSED(accessible);
}

void CSliderCtrl::setOrientation(Qt::Orientation orientation)
{
    QSlider::setOrientation(orientation);
    setInvertedAppearance(orientation == Qt::Vertical);
}

void CSliderCtrl::SetRange(int nMin, int nMax, BOOL bRedraw)
{
    setRange(nMin, nMax);
    if (bRedraw)
        update();
}

void CSliderCtrl::SetTicFreq(int nFreq) { setTickInterval(std::max(1, nFreq)); }
void CSliderCtrl::SetPageSize(int nSize) { setPageStep(nSize); }
void CSliderCtrl::SetPos(int nPos) { setValue(nPos); }

void CSliderCtrl::UserSetPos(int nPos)
{
    const int target = std::clamp(nPos, minimum(), maximum());
    const int from = value();
    if (target == from)
        return;
    setValue(target);
    Notify(target > from ? TB_LINEDOWN : TB_LINEUP);
    Notify(TB_ENDTRACK);
}

void CSliderCtrl::Notify(int code)
{
    const bool thumb = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
    emit Scroll(code, thumb ? value() : 0);
}

void CSliderCtrl::Step(int delta, int code)
{
    const int v = value();
    if ((delta < 0 && v == minimum()) || (delta > 0 && v == maximum()) || delta == 0)
        return;
    setValue(int(std::clamp<long long>((long long)v + delta, minimum(), maximum())));
    Notify(code);
}

void CSliderCtrl::Line(int direction) { Step(direction * singleStep(), direction > 0 ? TB_LINEDOWN : TB_LINEUP); }

void CSliderCtrl::Page(int direction) { Step(direction * pageStep(), direction > 0 ? TB_PAGEDOWN : TB_PAGEUP); }

int CSliderCtrl::UpDirection() const { return orientation() == Qt::Horizontal ? 1 : -1; }

void CSliderCtrl::keyPressEvent(QKeyEvent* event)
{
    // Ctrl and Alt combinations belong to the dialog (page switching, mnemonics).
    if (!IsTrackbarKey(event->key()) || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        Line(-1);
        break;
    case Qt::Key_Right:
        Line(1);
        break;
    case Qt::Key_Up:
        Line(UpDirection());
        break;
    case Qt::Key_Down:
        Line(-UpDirection());
        break;
    case Qt::Key_PageUp:
        Page(UpDirection());
        break;
    case Qt::Key_PageDown:
        Page(-UpDirection());
        break;
    case Qt::Key_Home:
        if (value() != minimum()) {
            setValue(minimum());
            Notify(TB_TOP);
        }
        break;
    case Qt::Key_End:
        if (value() != maximum()) {
            setValue(maximum());
            Notify(TB_BOTTOM);
        }
        break;
    }
    m_keysDown.insert(event->key());
    event->accept();
}

void CSliderCtrl::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat() || !m_keysDown.remove(event->key())) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    Notify(TB_ENDTRACK);
    event->accept();
}

int CSliderCtrl::Along(const QPoint& p) const { return orientation() == Qt::Horizontal ? p.x() : p.y(); }

QRect CSliderCtrl::HandleRect() const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

int CSliderCtrl::ValueAtPixel(int pixel) const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const bool horizontal = orientation() == Qt::Horizontal;
    const int length = horizontal ? handle.width() : handle.height();
    const int first = horizontal ? groove.x() : groove.y();
    const int last = (horizontal ? groove.right() : groove.bottom()) - length + 1;
    return QStyle::sliderValueFromPosition(minimum(), maximum(), pixel - first, last - first, opt.upsideDown);
}

int CSliderCtrl::PageDirection(const QPoint& p) const
{
    // The channel beside the thumb: its length along the slider, the thumb's
    // extent across it.
    const QRect handle = HandleRect();
    const bool inBand = orientation() == Qt::Horizontal ? p.y() >= handle.top() && p.y() <= handle.bottom()
                                                        : p.x() >= handle.left() && p.x() <= handle.right();
    if (!inBand || !rect().contains(p))
        return 0;
    const int length = orientation() == Qt::Horizontal ? handle.width() : handle.height();
    return ValueAtPixel(Along(p) - length / 2) - value();
}

void CSliderCtrl::AutoPage()
{
    const int dir = PageDirection(m_ptPage);
    if (dir > 0 && m_nPageDir > 0)
        Step(pageStep(), TB_PAGEDOWN);
    else if (dir < 0 && m_nPageDir < 0)
        Step(-pageStep(), TB_PAGEUP);
}

void CSliderCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_track != Track::None) {
        event->ignore();
        return;
    }
    event->accept();
    const QPoint p = event->position().toPoint();
    const QRect handle = HandleRect();
    if (handle.contains(p)) {
        m_track = Track::Thumb;
        m_nDragOffset = Along(p) - Along(handle.topLeft());
        setSliderDown(true);
        return;
    }
    const int dir = PageDirection(p);
    if (dir == 0)
        return;
    m_track = Track::Page;
    m_nPageDir = dir;
    m_ptPage = p;
    AutoPage();
    m_pageTimer.start(kPageDelayMs, this);
}

void CSliderCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (m_track == Track::Thumb) {
        const int v = ValueAtPixel(Along(p) - m_nDragOffset);
        if (v != value()) {
            setValue(v);
            Notify(TB_THUMBTRACK);
        }
    } else if (m_track == Track::Page) {
        m_ptPage = p;
    }
    event->accept();
}

void CSliderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_track == Track::None) {
        event->ignore();
        return;
    }
    const Track track = m_track;
    m_track = Track::None;
    m_pageTimer.stop();
    if (track == Track::Thumb) {
        setSliderDown(false);
        Notify(TB_THUMBPOSITION);
    }
    Notify(TB_ENDTRACK);
    event->accept();
}

void CSliderCtrl::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    m_nWheelAccum += delta.y() != 0 ? delta.y() : delta.x();
    const int notches = m_nWheelAccum / kWheelNotch;
    m_nWheelAccum -= notches * kWheelNotch;
    event->accept();
    if (notches == 0)
        return;
    // Rolling away from the user moves as Up does.
    const int lines = UpDirection() * notches * QApplication::wheelScrollLines() * singleStep();
    const int before = value();
    Step(lines, lines > 0 ? TB_LINEDOWN : TB_LINEUP);
    if (value() != before)
        Notify(TB_ENDTRACK);
}

void CSliderCtrl::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_pageTimer.timerId()) {
        QSlider::timerEvent(event);
        return;
    }
    m_pageTimer.start(kPageRepeatMs, this);
    AutoPage();
}
