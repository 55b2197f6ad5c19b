#pragma once
// The Geometry tab: moves and resizes the clock and sets one line thickness
// for every part of the face.

#include "config/PropertyPage.h"

class CSliderCtrl;

class CPageGeom : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPageGeom(QWidget* parent = nullptr);

    CSliderCtrl* m_sliderSize = nullptr;  // 1004 size
    CSliderCtrl* m_sliderWidth = nullptr;  // 1003 one thickness for all five parts
    CSliderCtrl* m_sliderX = nullptr;  // 1005 horizontal position
    CSliderCtrl* m_sliderY = nullptr;  // 1002 vertical position, minimum at the top

protected:
    void DoDataExchange() override;
};
