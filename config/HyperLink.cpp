#include "config/HyperLink.h"

#include <algorithm>
#include <cmath>

#include <QAccessibleWidget>
#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include "config/WordWrap.h"

namespace {

// Never shown: every label of the program gets its link before it is shown.
const char* const kDefaultURL = "mailto:vitrodial@tessaline.example";

CHyperLink::Opener& CurrentOpener()
{
    static CHyperLink::Opener opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return opener;
}

// The wait cursor for the time a link takes to open, on every way out.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Relative luminance of an sRGB colour, and the contrast ratio of two colours
// (1 to 21), as WCAG defines them.
double Luminance(const QColor& c)
{
    const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}
double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a) + 0.05;
    const double lb = Luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

// colour as it is when it reads on background; else with its hue and
// saturation kept, the nearest lightness toward white or black (whichever
// stands out more on background) that reads. One of the two always does.
QColor Readable(const QColor& colour, const QColor& background)
{
    if (Contrast(colour, background) >= CHyperLink::kMinContrast)
        return colour;
    const int step = Contrast(Qt::white, background) >= Contrast(Qt::black, background) ? 1 : -1;
    const QColor hsl = colour.toHsl();
    for (int l = hsl.lightness(); l >= 0 && l <= 255; l += step) {
        const QColor c(QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), l).rgb());
        if (Contrast(c, background) >= CHyperLink::kMinContrast)
            return c;
    }
    return step > 0 ? QColor(Qt::white) : QColor(Qt::black);
}

// What assistive tools see of a link: a link they can press, named by its text.
class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(CHyperLink* link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        const QString text = QAccessibleWidget::text(t);
        return t == QAccessible::Name && text.isEmpty() ? Link()->text() : text;
    }
    QStringList actionNames() const override { return QStringList(pressAction()) + QAccessibleWidget::actionNames(); }
    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction())
            Link()->OnClicked();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    CHyperLink* Link() const { return static_cast<CHyperLink*>(widget()); }
};

QAccessibleInterface* LinkAccessibleFactory(const QString& className, QObject* object)
{
    auto* link = qobject_cast<CHyperLink*>(object);
    if (link && className == QLatin1String(CHyperLink::staticMetaObject.className()))
        return new LinkAccessible(link);
    return nullptr;
}

} // namespace

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent), m_strURL(QString::fromLatin1(kDefaultURL))
{
    static const bool accessible = (QAccessible::installFactory(LinkAccessibleFactory), true);
    Q_UNUSED(accessible);
    setAutoFillBackground(false);
    setTextFormat(Qt::PlainText);
    UpdateLook();
    UpdateTip();
}

CHyperLink::Opener CHyperLink::SetOpener(Opener opener)
{
    Opener previous = std::move(CurrentOpener());
    CurrentOpener() = std::move(opener);
    return previous;
}

void CHyperLink::SetURL(const QString& strURL)
{
    m_strURL = strURL;
    UpdateTip();
}

void CHyperLink::UpdateTip() { setToolTip(WrapText(m_strURL, QFontMetrics(QToolTip::font()), kMaxTipWidth)); }

void CHyperLink::UpdateLook()
{
    QFont f = font();
    if (!f.underline()) {
        f.setUnderline(true);
        setFont(f);
    }
    // The link and window colours stay inherited from the page; only the
    // text colour is the link's own.
    QPalette pal = palette();
    bool changed = false;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor colour = Readable(pal.color(group, m_bVisited ? QPalette::LinkVisited : QPalette::Link),
                                       pal.color(group, QPalette::Window));
        if (pal.color(group, QPalette::WindowText) != colour) {
            pal.setColor(group, QPalette::WindowText, colour);
            changed = true;
        }
    }
    if (changed)
        setPalette(pal);
}

void CHyperLink::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    // A font or palette handed down from the page must not undo the link look.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        UpdateLook();
}

void CHyperLink::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    event->accept();
    OnClicked();
}

void CHyperLink::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click is not another click.
    event->accept();
}

void CHyperLink::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        // Taken even when held down, so that Enter never reaches the
        // dialog's default button.
        event->accept();
        if (!event->isAutoRepeat())
            OnClicked();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void CHyperLink::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // Around the text, which may be shorter than the label.
    QPainter painter(this);
    QStyleOptionFocusRect opt;
    opt.initFrom(this);
    opt.backgroundColor = palette().color(QPalette::Window);
    opt.rect = fontMetrics()
                   .boundingRect(contentsRect(), int(alignment()) | Qt::TextWordWrap, text())
                   .adjusted(-1, 0, 1, 0)
                   .intersected(rect());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &painter, this);
}

void CHyperLink::OnClicked()
{
    const WaitCursor wait;
    if (m_strURL.isEmpty())
        m_strURL = text();
    if (!CurrentOpener()(QUrl(m_strURL))) {
        QApplication::beep();
        return;
    }
    m_bVisited = 1;
    UpdateLook();
    update();
}
