#pragma once
// The Hour tab: the hour hand's colours and thickness.

#include "config/PropertyPage.h"

class CColorButton;
class CSliderCtrl;

class CPageHour : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPageHour(QWidget* parent = nullptr);

    BOOL OnInitDialog() override;
    // Picks up colours and thickness changed elsewhere (the reset controls of
    // the Colors and Geometry pages).
    BOOL OnSetActive() override;
    void OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar) override;

    CSliderCtrl* m_sliderWidth = nullptr;  // 1036 outline thickness
    CColorButton* m_btnLineColor = nullptr;  // 1041 outline colour
    CColorButton* m_btnFillColor = nullptr;  // 1040 fill colour

protected:
    void DoDataExchange() override;

    void OnFillColor();
    void OnLineColor();
};
