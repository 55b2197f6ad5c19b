#include "config/DialogBuilder.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegion>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <qdrawutil.h>

#include "config/SliderCtrl.h"
#include "config/WordWrap.h"

namespace {

// The size the platform gives every icon control, whatever the template says.
constexpr int kIconSize = 32;

// A check box as the templates make it: the whole rectangle takes the click,
// optionally a one-pixel sunken edge and text wrapped onto several lines.
class TemplateCheckBox : public QCheckBox {
public:
    TemplateCheckBox(QWidget* parent, bool edge, bool multiLine)
        : QCheckBox(parent)
        , m_bEdge(edge)
        , m_bMultiLine(multiLine)
    {
    }

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

    void paintEvent(QPaintEvent* event) override
    {
        if (!m_bEdge && !m_bMultiLine) {
            QCheckBox::paintEvent(event);
            return;
        }
        QStylePainter painter(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        if (m_bEdge)
            opt.rect.adjust(1, 1, -1, -1);
        if (m_bMultiLine) {
            const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth, &opt, this);
            const int spacing = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &opt, this);
            opt.text = WrapText(text(), fontMetrics(), opt.rect.width() - indicator - spacing);
        }
        painter.drawControl(QStyle::CE_CheckBox, opt);
        if (m_bEdge)
            qDrawShadePanel(&painter, rect(), palette(), true, 1);
    }

private:
    bool m_bEdge;
    bool m_bMultiLine;
};

// A group box as the templates were laid out for: an etched frame whose top
// line runs through the middle of the caption, so that controls placed just
// below the caption stand inside the frame.
class TemplateGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QFontMetrics fm = fontMetrics();
        const QRect frame = rect().adjusted(0, fm.height() / 2, 0, 0);
        const QString caption = title();
        if (caption.isEmpty()) {
            qDrawShadeRect(&painter, frame, palette(), true, 1, 0);
            return;
        }
        const int width = std::min(fm.horizontalAdvance(caption), this->width() - 2 * kCaptionIndent);
        const int x = (alignment() & Qt::AlignHCenter) ? (this->width() - width) / 2 : kCaptionIndent;
        // The caption interrupts the frame; what shows through the gap is
        // whatever the page is painted with.
        const QRect gap(x - kCaptionGap, 0, width + 2 * kCaptionGap, fm.height());
        painter.setClipRegion(QRegion(rect()) - gap);
        qDrawShadeRect(&painter, frame, palette(), true, 1, 0);
        painter.setClipping(false);
        style()->drawItemText(&painter, QRect(x, 0, width, fm.height()), Qt::AlignLeft | Qt::TextShowMnemonic,
                              palette(), isEnabled(), caption, QPalette::WindowText);
    }

private:
    static constexpr int kCaptionIndent = 8;
    static constexpr int kCaptionGap = 2;
};

class TemplateRadioButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// Lines of text a multi-line check box needs at its width.
int WrappedLines(const QCheckBox* box, int width)
{
    return int(WrapText(box->text(), box->fontMetrics(), width).count(QLatin1Char('\n'))) + 1;
}

// Whether the control's text shows whole at its size.
bool TextFits(const QWidget* w, const res::ControlTemplate& c)
{
    const QFontMetrics fm = w->fontMetrics();
    const int edge = (c.style & res::StaticEdge) ? 2 : 0;
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->text().isEmpty() || label->heightForWidth(label->width()) <= label->height();
    if (const auto* box = qobject_cast<const QCheckBox*>(w)) {
        if (!(c.style & res::MultiLine))
            return box->sizeHint().width() + edge <= box->width();
        QStyleOptionButton opt;
        opt.initFrom(box);
        const int indicator = box->style()->pixelMetric(QStyle::PM_IndicatorWidth, &opt, box)
                              + box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &opt, box);
        return WrappedLines(box, box->width() - edge - indicator) * fm.lineSpacing() <= box->height() - edge;
    }
    if (const auto* radio = qobject_cast<const QRadioButton*>(w))
        return radio->sizeHint().width() <= radio->width();
    if (const auto* button = qobject_cast<const QPushButton*>(w))
        return fm.horizontalAdvance(button->text()) + 8 <= button->width() && fm.height() + 4 <= button->height();
    if (const auto* group = qobject_cast<const QGroupBox*>(w))
        return fm.horizontalAdvance(group->title()) + 16 <= group->width();
    return true;
}

// The templates were laid out for a font whose small letters are narrow
// beside its average; most fonts here are wider. A text that would be cut
// off gets a smaller font, in half-point steps down to three quarters.
void ShrinkToFit(QWidget* w, const res::ControlTemplate& c)
{
    QFont f = w->font();
    const qreal points = f.pointSizeF();
    const int pixels = f.pixelSize();
    for (int step = 1; !TextFits(w, c); ++step) {
        if (points > 0) {
            const qreal smaller = points - 0.5 * step;
            if (smaller < points * 0.75)
                break;
            f.setPointSizeF(smaller);
        } else {
            const int smaller = pixels - step;
            if (smaller < pixels * 3 / 4)
                break;
            f.setPixelSize(smaller);
        }
        w->setFont(f);
    }
}

bool Interactive(res::Kind kind)
{
    switch (kind) {
    case res::Kind::PushButton:
    case res::Kind::CheckBox:
    case res::Kind::RadioButton:
    case res::Kind::Slider:
        return true;
    default:
        return false;
    }
}

// The caption of the smallest group box around c: a slider's only name, since
// the group box is its sibling, not its parent, where screen readers look.
QString FramingCaption(const res::DialogTemplate& t, const res::ControlTemplate& c)
{
    const QRect inner(c.x, c.y, c.w, c.h);
    const res::ControlTemplate* best = nullptr;
    for (std::size_t i = 0; i < t.count; ++i) {
        const res::ControlTemplate& g = t.controls[i];
        if (g.kind == res::Kind::GroupBox && g.text && QRect(g.x, g.y, g.w, g.h).contains(inner)
            && (!best || g.w * g.h < best->w * best->h))
            best = &g;
    }
    return best ? QString::fromUtf8(best->text) : QString();
}

} // namespace

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const long long product = (long long)number * numerator;
    const long long d = std::llabs((long long)denominator);
    const long long q = (std::llabs(product) + d / 2) / d;
    return int(((product < 0) != (denominator < 0)) ? -q : q);
}

CDialogBuilder::CDialogBuilder(const QFont& font) : m_font(font), m_units(BaseUnits(font)) {}

DialogBaseUnits CDialogBuilder::BaseUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    const int letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, fm.ascent() + fm.descent()};
}

QRect CDialogBuilder::MapDialogRect(int x, int y, int w, int h) const
{
    return QRect(MulDiv(x, m_units.cx, 4), MulDiv(y, m_units.cy, 8), MulDiv(w, m_units.cx, 4),
                 MulDiv(h, m_units.cy, 8));
}

QSize CDialogBuilder::MapDialogSize(int cx, int cy) const
{
    return QSize(MulDiv(cx, m_units.cx, 4), MulDiv(cy, m_units.cy, 8));
}

const QMetaObject* CDialogBuilder::DefaultClass(res::Kind kind)
{
    switch (kind) {
    case res::Kind::PushButton:
        return &QPushButton::staticMetaObject;
    case res::Kind::CheckBox:
        return &QCheckBox::staticMetaObject;
    case res::Kind::RadioButton:
        return &QRadioButton::staticMetaObject;
    case res::Kind::GroupBox:
        return &QGroupBox::staticMetaObject;
    case res::Kind::StaticText:
    case res::Kind::StaticIcon:
        return &QLabel::staticMetaObject;
    case res::Kind::StaticFrame:
        return &QFrame::staticMetaObject;
    case res::Kind::Slider:
        return &CSliderCtrl::staticMetaObject;
    }
    return &QWidget::staticMetaObject;
}

QWidget* CDialogBuilder::CreateDefault(const res::ControlTemplate& c, QWidget* parent) const
{
    switch (c.kind) {
    case res::Kind::PushButton:
        return new QPushButton(parent);
    case res::Kind::CheckBox:
        return new TemplateCheckBox(parent, c.style & res::StaticEdge, c.style & res::MultiLine);
    case res::Kind::RadioButton:
        return new TemplateRadioButton(parent);
    case res::Kind::GroupBox:
        return new TemplateGroupBox(parent);
    case res::Kind::StaticText:
    case res::Kind::StaticIcon:
        return new QLabel(parent);
    case res::Kind::StaticFrame:
        return new QFrame(parent);
    case res::Kind::Slider:
        return new CSliderCtrl(parent);
    }
    return new QWidget(parent);
}

void CDialogBuilder::Configure(QWidget* w, const res::ControlTemplate& c) const
{
    const QString text = c.text ? QString::fromUtf8(c.text) : QString();
    w->setFocusPolicy((c.style & res::TabStop) ? Qt::StrongFocus : Interactive(c.kind) ? Qt::ClickFocus : Qt::NoFocus);
    w->setGeometry(MapDialogRect(c.x, c.y, c.w, c.h));

    switch (c.kind) {
    case res::Kind::PushButton:
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            b->setText(text);
            b->setDefault(c.style & res::DefPush);
        }
        break;
    case res::Kind::CheckBox:
    case res::Kind::RadioButton:
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(text);
        break;
    case res::Kind::GroupBox:
        if (auto* g = qobject_cast<QGroupBox*>(w)) {
            g->setTitle(text);
            g->setAlignment(c.style & res::Center ? Qt::AlignHCenter : Qt::AlignLeft);
        }
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
        break;
    case res::Kind::StaticText:
        if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setTextFormat(Qt::PlainText);
            l->setWordWrap(true);
            l->setAlignment(Qt::AlignTop | (c.style & res::Center ? Qt::AlignHCenter : Qt::AlignLeft));
            l->setText(text);
            if (c.style & (res::Sunken | res::StaticEdge)) {
                l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                l->setLineWidth(1);
            }
        }
        break;
    case res::Kind::StaticIcon:
        // The only icon is the program's own, which the clock window carries
        // and hands down to the dialogs it owns.
        if (auto* l = qobject_cast<QLabel*>(w))
            l->setPixmap(w->windowIcon().pixmap(kIconSize, kIconSize));
        w->resize(kIconSize, kIconSize);
        w->setAccessibleName(QStringLiteral("Program icon"));
        break;
    case res::Kind::StaticFrame:
        if (auto* f = qobject_cast<QFrame*>(w)) {
            f->setFrameStyle(QFrame::Box | QFrame::Plain);
            f->setLineWidth(1);
            QPalette pal = f->palette();
            pal.setColor(QPalette::WindowText, Qt::black);
            f->setPalette(pal);
        }
        break;
    case res::Kind::Slider:
        if (auto* s = qobject_cast<CSliderCtrl*>(w)) {
            s->setOrientation(c.style & res::Vertical ? Qt::Vertical : Qt::Horizontal);
            if (!(c.style & res::AutoTicks))
                s->setTickPosition(QSlider::NoTicks);
            else
                s->setTickPosition(c.style & res::TicksTopLeft ? QSlider::TicksAbove : QSlider::TicksBelow);
        }
        break;
    }
}

QHash<int, QWidget*> CDialogBuilder::Build(QWidget* parent, const res::DialogTemplate& t,
                                           const ControlFactory& factory) const
{
    QHash<int, QWidget*> items;
    QList<QWidget*> groupBoxes;
    QButtonGroup* radios = nullptr;
    for (std::size_t i = 0; i < t.count; ++i) {
        const res::ControlTemplate& c = t.controls[i];
        QWidget* w = factory ? factory(c, parent) : nullptr;
        if (!w)
            w = CreateDefault(c, parent);
        Configure(w, c);
        ShrinkToFit(w, c);
        if (c.kind == res::Kind::Slider)
            w->setAccessibleName(FramingCaption(t, c));

        // A group runs from one control that starts a group to the next; the
        // automatic radio buttons of a group exclude each other.
        if (c.style & res::Group)
            radios = nullptr;
        if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            if (!radios)
                radios = new QButtonGroup(parent);
            radios->addButton(radio);
        }
        if (c.kind == res::Kind::GroupBox)
            groupBoxes << w;
        w->show();
        if (c.id != res::IDC_STATIC && !items.contains(c.id))
            items.insert(c.id, w);
    }
    for (auto it = groupBoxes.rbegin(); it != groupBoxes.rend(); ++it)
        (*it)->lower();
    return items;
}

void CDialogBuilder::OrderTabStopsByRows(const res::DialogTemplate& t, const QHash<int, QWidget*>& items)
{
    struct Stop {
        QRect rect; // dialog units
        QWidget* w;
        int row = 0;
    };
    std::vector<Stop> stops;
    for (std::size_t i = 0; i < t.count; ++i) {
        QWidget* w = items.value(t.controls[i].id);
        const res::ControlTemplate& c = t.controls[i];
        if (w && (w->focusPolicy() & Qt::TabFocus))
            stops.push_back({QRect(c.x, c.y, c.w, c.h), w});
    }
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.rect.y() < b.rect.y(); });
    int row = -1, rowTop = 0;
    for (Stop& s : stops) {
        if (row < 0 || s.rect.y() - rowTop > kRowTolerance) {
            ++row;
            rowTop = s.rect.y();
        }
        s.row = row;
    }
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
        return a.row != b.row ? a.row < b.row : a.rect.x() < b.rect.x();
    });
    for (std::size_t i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops[i - 1].w, stops[i].w);
}
