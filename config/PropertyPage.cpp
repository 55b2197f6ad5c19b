#include "config/PropertyPage.h"

#include <QDebug>

#include "config/DialogBuilder.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPropertyPage::CPropertyPage(int nTemplateId, QWidget* parent) : QWidget(parent), m_nTemplateId(nTemplateId)
{
    Q_ASSERT(res::FindDialogTemplate(nTemplateId));
    setAccessibleName(Caption());
}

CPropertyPage::~CPropertyPage() = default;

const res::DialogTemplate& CPropertyPage::Template() const { return *res::FindDialogTemplate(m_nTemplateId); }

QString CPropertyPage::Caption() const { return QString::fromUtf8(Template().caption); }

QSize CPropertyPage::sizeHint() const
{
    const res::DialogTemplate& t = Template();
    return CDialogBuilder(font()).MapDialogSize(t.cx, t.cy);
}

BOOL CPropertyPage::Activate()
{
    if (!m_bBuilt) {
        Build();
        OnInitDialog();
    }
    return OnSetActive();
}

void CPropertyPage::Build()
{
    m_bBuilt = true;
    DoDataExchange();
    const auto factory = [this](const res::ControlTemplate& c, QWidget* parent) -> QWidget* {
        const auto it = m_bindings.constFind(c.id);
        if (it == m_bindings.constEnd() || CDialogBuilder::DefaultClass(c.kind)->inherits(it->meta))
            return nullptr;
        return it->make(parent);
    };
    m_items = CDialogBuilder(font()).Build(this, Template(), factory);
    CDialogBuilder::OrderTabStopsByRows(Template(), m_items);

    for (auto it = m_bindings.cbegin(); it != m_bindings.cend(); ++it) {
        QWidget* w = m_items.value(it.key());
        it->assign(w);
        if (!w || !w->metaObject()->inherits(it->meta))
            qWarning() << "template" << m_nTemplateId << "has no control" << it.key() << "of class"
                       << it->meta->className();
    }
    m_bindings.clear();

    for (CSliderCtrl* slider : findChildren<CSliderCtrl*>(Qt::FindDirectChildrenOnly)) {
        connect(slider, &CSliderCtrl::Scroll, this, [this, slider](int nSBCode, int nPos) {
            if (slider->orientation() == Qt::Horizontal)
                OnHScroll(nSBCode, nPos, slider);
            else
                OnVScroll(nSBCode, nPos, slider);
        });
    }
}

BOOL CPropertyPage::OnInitDialog() { return 1; }
BOOL CPropertyPage::OnSetActive() { return 1; }
void CPropertyPage::OnHScroll(int, int, CSliderCtrl*) {}
void CPropertyPage::OnVScroll(int, int, CSliderCtrl*) {}
