#include "config/PropertySheet.h"

#include <cstdlib>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include "config/DialogBuilder.h"
#include "config/PropertyPage.h"

namespace {

// The room the original sheet leaves around its tab control, in dialog units.
constexpr int kMarginDu = 4;

class SheetTabs : public QTabWidget {
public:
    using QTabWidget::QTabWidget;

    // The size at which the page area is exactly page.
    QSize SizeForPage(const QSize& page) const
    {
        QStyleOptionTabWidgetFrame opt;
        initStyleOption(&opt);
        QSize size = page;
        // The frame around the pages may depend on the size: settle it.
        for (int i = 0; i < 3; ++i) {
            opt.rect = QRect(QPoint(), size);
            size += page - style()->subElementRect(QStyle::SE_TabWidgetTabContents, &opt, this).size();
        }
        return size;
    }

    // The colour the style fills the page area with under palette pal.
    QColor PaneColour(const QPalette& pal) const
    {
        QStyleOptionTabWidgetFrame opt;
        initStyleOption(&opt);
        opt.palette = pal;
        opt.rect = QRect(0, 0, 64, 64);
        QImage image(opt.rect.size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        style()->drawPrimitive(QStyle::PE_FrameTabWidget, &opt, &painter, this);
        return image.pixelColor(opt.rect.center());
    }

    // The pages stand on the tab control and draw no background of their own,
    // but their controls (group-box captions, the light lines of sunken edges)
    // are drawn for the window colour. Styles that fill the page area with a
    // shade of the button colour get the button shade whose page area is the
    // window colour, so that the tab strip, the page area and the controls are
    // one surface; the pages keep the dialog's own palette.
    void MatchPaneToWindow(const QPalette& dialog)
    {
        const QColor window = dialog.color(QPalette::Window);
        QPalette best = dialog;
        int bestDistance = Distance(PaneColour(dialog), window);
        for (int factor = 101; factor <= 130 && bestDistance > 0; ++factor) {
            QPalette pal = dialog;
            pal.setColor(QPalette::Button, dialog.color(QPalette::Button).darker(factor));
            const int distance = Distance(PaneColour(pal), window);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = pal;
            }
        }
        setPalette(best);
        for (int i = 0; i < count(); ++i)
            widget(i)->setPalette(dialog);
    }

private:
    static int Distance(const QColor& a, const QColor& b)
    {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
    }
};

} // namespace

CPropertySheet::CPropertySheet(QWidget* parent) : QWidget(parent), m_pTabs(new SheetTabs(this))
{
    m_pTabs->setUsesScrollButtons(true);
    m_pTabs->setElideMode(Qt::ElideNone);
    m_pTabs->setDocumentMode(false);
    m_pTabs->tabBar()->setExpanding(false);
    // The strip's scroll arrows are for the mouse: the keyboard scrolls the
    // strip by changing pages, so the arrows are no stop of the Tab order.
    for (QToolButton* arrow : m_pTabs->tabBar()->findChildren<QToolButton*>())
        arrow->setFocusPolicy(Qt::NoFocus);
    // The sheet paints its own background over whatever lies beneath it.
    setAutoFillBackground(true);

    // Pages change from anywhere in the dialog, wrapping round at either end.
    const auto addKeys = [this](std::initializer_list<QKeySequence> keys, int step) {
        for (const QKeySequence& key : keys)
            connect(new QShortcut(key, this), &QShortcut::activated, this, [this, step] { StepPage(step); });
    };
    addKeys({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}, 1);
    addKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
             QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
            -1);
}

void CPropertySheet::StepPage(int step)
{
    const int count = m_pTabs->count();
    if (count < 2)
        return;
    // A focused control on the page that goes away hands the focus to the tab
    // strip, from where Tab enters the new page; focus elsewhere stays.
    const QWidget* focus = QApplication::focusWidget();
    const bool inPage = focus && m_pTabs->currentWidget() && m_pTabs->currentWidget()->isAncestorOf(focus);
    m_pTabs->setCurrentIndex((m_pTabs->currentIndex() + step + count) % count);
    if (inPage || !QApplication::focusWidget())
        m_pTabs->tabBar()->setFocus(Qt::TabFocusReason);
}

void CPropertySheet::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        static_cast<SheetTabs*>(m_pTabs)->MatchPaneToWindow(palette());
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    // Adding does not select: a page is built only when the user (or Create)
    // selects it.
    const QSignalBlocker block(m_pTabs);
    m_pTabs->addTab(pPage, pPage->Caption());
}

bool CPropertySheet::Create(QWidget* pParent)
{
    if (m_bCreated)
        return false;
    m_bCreated = true;
    setParent(pParent);
    static_cast<SheetTabs*>(m_pTabs)->MatchPaneToWindow(palette());

    // The tab control, sized for the largest page, stands inside the sheet's
    // margin.
    QSize page;
    for (int i = 0; i < m_pTabs->count(); ++i)
        page = page.expandedTo(m_pTabs->widget(i)->sizeHint());
    const QSize margin = CDialogBuilder(font()).MapDialogSize(kMarginDu, kMarginDu);
    m_pTabs->setGeometry(
        QRect(QPoint(margin.width(), margin.height()), static_cast<SheetTabs*>(m_pTabs)->SizeForPage(page)));
    resize(m_pTabs->width() + 2 * margin.width(), m_pTabs->height() + 2 * margin.height());

    connect(m_pTabs, &QTabWidget::currentChanged, this, &CPropertySheet::OnSelChange);
    if (m_pTabs->count() > 0) {
        const QSignalBlocker block(m_pTabs);
        m_pTabs->setCurrentIndex(0);
    }
    show();
    if (m_pTabs->count() > 0)
        OnSelChange(0);
    return true;
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const { return qobject_cast<CPropertyPage*>(m_pTabs->widget(nPage)); }

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(m_pTabs->currentIndex()); }

int CPropertySheet::GetActiveIndex() const { return m_pTabs->currentIndex(); }

bool CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= m_pTabs->count())
        return false;
    m_pTabs->setCurrentIndex(nPage);
    return true;
}

void CPropertySheet::OnSelChange(int index)
{
    if (CPropertyPage* page = GetPage(index))
        page->Activate();
}
