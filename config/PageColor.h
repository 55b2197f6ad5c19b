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

    // The opacity slider is positioned only here.
    BOOL OnInitDialog() override;
    // The swatches at every selection: the clear colour, and the hour hand's
    // colours standing for the five fills and frames, which other pages may
    // have changed one by one.
    BOOL OnSetActive() override;
    void OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar) override;

    CColorButton* m_btnLineColor = nullptr; // "Line Color...": all five frame colours
    CColorButton* m_btnFillColor = nullptr; // "Fill Color...": all five fill colours
    CColorButton* m_btnClear = nullptr;     // "Select...": the clear colour
    CSliderCtrl* m_sliderOpacity = nullptr; // opacity

protected:
    void DoDataExchange() override;

    void OnSelectClear();
    void OnFillColor();
    void OnLineColor();
};
