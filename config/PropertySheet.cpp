#include "config/PropertySheet.h"

#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>

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
};

} // namespace

CPropertySheet::CPropertySheet(QWidget* parent) : QWidget(parent), m_pTabs(new SheetTabs(this))
{
    m_pTabs->setUsesScrollButtons(true);
    m_pTabs->setElideMode(Qt::ElideNone);
    m_pTabs->setDocumentMode(false);
    m_pTabs->tabBar()->setExpanding(false);
    // The sheet paints its own background over whatever lies beneath it.
    setAutoFillBackground(true);
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

    // The tab control, sized for the largest page, stands inside the sheet's
    // margin.
    QSize page;
    for (int i = 0; i < m_pTabs->count(); ++i)
        page = page.expandedTo(m_pTabs->widget(i)->sizeHint());
    const QSize margin = CDialogBuilder(font()).MapDialogSize(kMarginDu, kMarginDu);
    m_pTabs->setGeometry(QRect(QPoint(margin.width(), margin.height()),
                               static_cast<SheetTabs*>(m_pTabs)->SizeForPage(page)));
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

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    return qobject_cast<CPropertyPage*>(m_pTabs->widget(nPage));
}

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
