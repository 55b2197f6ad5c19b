#include "config/PartPage.h"

#include <initializer_list>

#include <QCheckBox>
#include <QGroupBox>

#include "app/ClockApp.h"
#include "config/Choosers.h"
#include "config/ColorButton.h"
#include "config/PageHelpers.h"
#include "config/SliderCtrl.h"

CPartPage::CPartPage(const Descriptor& part, QWidget* parent) : CPropertyPage(part.nTemplateId, parent), m_part(part) {}

void CPartPage::DoDataExchange()
{
    DDX_Control(m_part.idFillColor, m_btnFillColor);
    DDX_Control(m_part.idLineColor, m_btnLineColor);
    DDX_Control(m_part.idWidth, m_sliderWidth);
    if (m_part.show) {
        DDX_Control(m_part.idShow, m_chkShow);
        DDX_Control(m_part.idGrpColors, m_grpColors);
        DDX_Control(m_part.idGrpWidth, m_grpWidth);
    }
}

BOOL CPartPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    connect(m_btnFillColor, &QAbstractButton::clicked, this, &CPartPage::OnFillColor);
    connect(m_btnLineColor, &QAbstractButton::clicked, this, &CPartPage::OnLineColor);
    if (m_chkShow)
        connect(m_chkShow, &QAbstractButton::clicked, this, &CPartPage::OnShow);
    const QString part = QString::fromUtf8(m_part.szPart);
    m_btnFillColor->setAccessibleName(part + QStringLiteral(" fill colour"));
    m_btnLineColor->setAccessibleName(part + QStringLiteral(" line colour"));

    // 0 to the thickest line with a tick at every value; Page Up/Down and
    // clicks in the channel move one step, as the arrow keys do.
    m_sliderWidth->SetTicFreq(1);
    m_sliderWidth->SetRange(0, pages::kMaxLineWidth, 1);
    m_sliderWidth->SetPageSize(1);
    UpdateControls();
    return 1;
}

BOOL CPartPage::OnSetActive()
{
    m_btnFillColor->SetColor(theApp.*m_part.fill);
    m_btnLineColor->SetColor(theApp.*m_part.frame);
    m_sliderWidth->SetPos(theApp.*m_part.width);
    return CPropertyPage::OnSetActive();
}

void CPartPage::UpdateControls()
{
    const bool show = !m_part.show || theApp.*m_part.show != 0;
    if (m_chkShow)
        m_chkShow->setChecked(show);
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_grpColors, m_btnFillColor, m_btnLineColor, m_grpWidth, m_sliderWidth})
        if (w)
            w->setEnabled(show);
    // Hidden, the thumb stays where it was.
    if (show)
        m_sliderWidth->SetPos(theApp.*m_part.width);
}

void CPartPage::OnFillColor() { ChooseColor(theApp.*m_part.fill, m_btnFillColor); }
void CPartPage::OnLineColor() { ChooseColor(theApp.*m_part.frame, m_btnLineColor); }

void CPartPage::OnShow()
{
    if (FollowCheck(m_chkShow, theApp.*m_part.show))
        UpdateControls();
}

void CPartPage::OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar)
{
    // The position is read from the slider, never taken from the
    // notification; the thumb's final position, Home and End wait for the
    // end-of-track notification that follows them.
    if (pScrollBar == m_sliderWidth && pages::ActsOn(nSBCode)) {
        const int pos = m_sliderWidth->GetPos();
        if (pos != theApp.*m_part.width) {
            theApp.*m_part.width = pos;
            theApp.SettingsChanged(ClockEffect::Redraw);
        }
    }
    CPropertyPage::OnHScroll(nSBCode, nPos, pScrollBar);
}

void CPartPage::ChooseColor(COLORREF& setting, CColorButton* button)
{
    COLORREF chosen = setting;
    if (!Choosers().ChooseColor(setting, &chosen) || chosen == setting)
        return;
    setting = chosen;
    button->SetColor(chosen);
    theApp.SettingsChanged(ClockEffect::Redraw);
}

bool CPartPage::FollowCheck(const QAbstractButton* box, BOOL& setting)
{
    const bool checked = box->isChecked();
    if (!checked && setting == 1)
        setting = 0;
    else if (checked && setting == 0)
        setting = 1;
    else
        return false;
    theApp.SettingsChanged(ClockEffect::Redraw);
    return true;
}
