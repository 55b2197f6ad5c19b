#pragma once
// The Minute tab: the minute hand's colours and thickness.

#include "config/PropertyPage.h"

class CColorButton;
class CSliderCtrl;

class CPageMin : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPageMin(QWidget* parent = nullptr);

    BOOL OnInitDialog() override;
    // Picks up colours and thickness changed elsewhere (the reset controls of
    // the Colors and Geometry pages).
    BOOL OnSetActive() override;
    void OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar) override;

    CColorButton* m_btnLineColor = nullptr;  // 1046 outline colour
    CColorButton* m_btnFillColor = nullptr;  // 1045 fill colour
    CSliderCtrl* m_sliderWidth = nullptr;  // 1044 outline thickness

protected:
    void DoDataExchange() override;

    void OnFillColor();
    void OnLineColor();
};
