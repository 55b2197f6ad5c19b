#pragma once
// The Date tab: the date line on or off, its contents, box, colours,
// thickness and font.

#include "config/PropertyPage.h"

class CColorButton;
class CSliderCtrl;
class QCheckBox;
class QGroupBox;
class QPushButton;

class CPageDate : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPageDate(QWidget* parent = nullptr);

    BOOL OnInitDialog() override;
    // Sets the colours and the thumb also while they are greyed out; the
    // check boxes are left as they are.
    BOOL OnSetActive() override;
    void OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar) override;

    // "Show Day Date" and the enabled state of every other control from
    // m_bShowDate; the content boxes get their marks only while the date is
    // shown.
    virtual void UpdateControls();

    QCheckBox* m_chkMonth = nullptr;  // 1024 "Show Month"
    QCheckBox* m_chkBox = nullptr;  // 1020 "Enclose in box"
    QCheckBox* m_chkAmPm = nullptr;  // 1019 "Show AM/PM"
    QCheckBox* m_chkDay = nullptr;  // 1018 "Show Day"
    QPushButton* m_btnFont = nullptr;  // 1017 "Font Select..."
    QGroupBox* m_grpFont = nullptr;  // 1023 "Date Font"
    CSliderCtrl* m_sliderWidth = nullptr;  // 1010 outline thickness
    QGroupBox* m_grpWidth = nullptr;  // 1021 "Date Line Thickness"
    CColorButton* m_btnLineColor = nullptr;  // 1016 outline colour
    CColorButton* m_btnFillColor = nullptr;  // 1015 fill colour
    QGroupBox* m_grpColors = nullptr;  // 1022 "Date Colors"
    QCheckBox* m_chkShow = nullptr;  // 1012 "Show Day Date"

protected:
    void DoDataExchange() override;

    void OnShowDate();
    void OnFillColor();
    void OnLineColor();
    void OnFontSelect();
    void OnShowDay();
    void OnShowAmPm();
    void OnDateBox();
    void OnShowMonth();
};
