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
};
