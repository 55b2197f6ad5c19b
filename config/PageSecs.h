#pragma once
// The Seconds tab: the seconds hand on or off, its colours and thickness.

#include "config/PropertyPage.h"

class CColorButton;
class CSliderCtrl;
class QCheckBox;
class QGroupBox;

class CPageSecs : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPageSecs(QWidget* parent = nullptr);

    BOOL OnInitDialog() override;
    // Sets the colours and the thumb also while they are greyed out, so they
    // are right when the hand is switched on again.
    BOOL OnSetActive() override;
    void OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar) override;

    // The check box and the enabled state of everything else from
    // m_bShowSeconds.
    virtual void UpdateControls();

    QGroupBox* m_grpWidth = nullptr;  // 1054 "Seconds Hand Line Thickness"
    CColorButton* m_btnLineColor = nullptr;  // 1051 outline colour
    CColorButton* m_btnFillColor = nullptr;  // 1048 fill colour
    QGroupBox* m_grpColors = nullptr;  // 1053 "Seconds Hand Colors"
    QCheckBox* m_chkShow = nullptr;  // 1046 "Show Seconds Hand"
    CSliderCtrl* m_sliderWidth = nullptr;  // 1049 outline thickness

protected:
    void DoDataExchange() override;

    void OnShowSeconds();
    void OnFillColor();
    void OnLineColor();
};
