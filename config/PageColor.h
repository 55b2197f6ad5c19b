#pragma once
// The Colors tab: the clock window's opacity and clear colour, and one fill
// or line colour for every part of the face at once.

#include "config/PropertyPage.h"

class CColorButton;
class CSliderCtrl;

class CPageColor : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPageColor(QWidget* parent = nullptr);

    CColorButton* m_btnLineColor = nullptr;  // 1006 "Line Color...": all five frame colours
    CColorButton* m_btnFillColor = nullptr;  // 1007 "Fill Color...": all five fill colours
    CColorButton* m_btnClear = nullptr;  // 1005 "Select...": the clear colour
    CSliderCtrl* m_sliderOpacity = nullptr;  // 1004 opacity

protected:
    void DoDataExchange() override;
};
