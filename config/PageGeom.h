#pragma once
// The Geometry tab: moves and resizes the clock and sets one line thickness
// for every part of the face. Every slider acts live, while it is dragged.

#include "config/PropertyPage.h"

class CSliderCtrl;

class CPageGeom : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPageGeom(QWidget* parent = nullptr);

    // Ranges over all screens, followed as screens change; the positions are
    // taken from the settings only then, so the page does not follow later
    // changes made on other pages.
    BOOL OnInitDialog() override;
    void OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar) override;
    void OnVScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar) override;

    CSliderCtrl* m_sliderSize = nullptr;  // size
    CSliderCtrl* m_sliderWidth = nullptr; // one thickness for all five parts
    CSliderCtrl* m_sliderX = nullptr;     // horizontal position
    CSliderCtrl* m_sliderY = nullptr;     // vertical position, minimum at the top

protected:
    void DoDataExchange() override;

private:
    void SetRanges();
    void OnPosition(CSliderCtrl* slider, int& setting);
    void OnSize();
    void OnWidth();
    // Moving or resizing the clock may take the focus away; it goes back to
    // the slider by way of the page.
    void FocusBack(CSliderCtrl* slider);
};
