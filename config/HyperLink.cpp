#include "config/HyperLink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
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

} // namespace

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent), m_strURL(QString::fromLatin1(kDefaultURL))
{
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
    const QColor colour = ToQColor(m_bVisited ? m_crVisitedColor : m_crLinkColor);
    QPalette pal = palette();
    if (pal.color(QPalette::WindowText) != colour) {
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            pal.setColor(group, QPalette::WindowText, colour);
        setPalette(pal);
    }
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
