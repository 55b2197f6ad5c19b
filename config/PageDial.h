#pragma once
// The Dial tab: the dial on or off, its colours and thickness, and the face
// background colour.

#include "config/PropertyPage.h"

class CColorButton;
class CSliderCtrl;
class QCheckBox;
class QGroupBox;
class QLabel;

class CPageDial : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPageDial(QWidget* parent = nullptr);

    BOOL OnInitDialog() override;
    // Sets the colours and the thumb also while they are greyed out, so they
    // are right when the dial is switched on again.
    BOOL OnSetActive() override;
    void OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar) override;

    // The check box and the enabled state of the dial's controls from
    // m_bShowDial. The background colour stays editable while the dial is
    // hidden, so its button, group and hint are never greyed out.
    virtual void UpdateControls();

    CSliderCtrl* m_sliderWidth = nullptr;  // 1026 dial outline thickness
    QGroupBox* m_grpWidth = nullptr;  // 1027 "Dial Lines Thickness"
    QLabel* m_stcHint = nullptr;  // 1034 the hint about the clear colour
    CColorButton* m_btnBackColor = nullptr;  // 1033 face background colour
    QGroupBox* m_grpBackground = nullptr;  // 1035 "Background Color"
    CColorButton* m_btnLineColor = nullptr;  // 1032 dial outline colour
    CColorButton* m_btnFillColor = nullptr;  // 1031 dial fill colour
    QGroupBox* m_grpColors = nullptr;  // 1028 "Dial Color"
    QCheckBox* m_chkShow = nullptr;  // 1024 "Show Dial"

protected:
    void DoDataExchange() override;

    void OnShowDial();
    void OnBackgroundColor();
    void OnFillColor();
    void OnLineColor();
};
