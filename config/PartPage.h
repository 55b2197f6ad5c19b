#pragma once
// The page of one part of the face (Dial, Seconds, Minute, Hour, Date): a fill
// and a line colour button, a thickness slider and, where the part can be
// hidden, a show box that greys out the rest. What differs between the pages
// is data: the control ids and the settings, in a descriptor. Every change
// goes straight into theApp's settings, marks them changed and redraws the
// clock at once; there is no apply step.

#include "config/PropertyPage.h"

class CClockApp;
class CColorButton;
class QAbstractButton;
class QCheckBox;
class QGroupBox;

class CPartPage : public CPropertyPage {
    Q_OBJECT
public:
    struct Descriptor {
        int nTemplateId;
        // The part as screen readers name its colour buttons ("Hour hand"):
        // every page has its "Fill Color...".
        const char* szPart;
        int idFillColor, idLineColor, idWidth;
        COLORREF CClockApp::*fill;
        COLORREF CClockApp::*frame;
        int CClockApp::*width;
        // A part that can be hidden: its show box and flag, and the two group
        // boxes, bound only to be greyed out with the controls they frame.
        int idShow = 0;
        BOOL CClockApp::*show = nullptr;
        int idGrpColors = 0, idGrpWidth = 0;
    };

    explicit CPartPage(const Descriptor& part, QWidget* parent = nullptr);

    BOOL OnInitDialog() override;
    // Picks up colours and thickness changed elsewhere (the reset controls of
    // the Colors and Geometry pages), also while they are greyed out, so they
    // are right when the part is shown again.
    BOOL OnSetActive() override;
    void OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar) override;

    // The show box, the enabled state of the part's controls and the thumb
    // from the settings; a part without show box is always shown.
    virtual void UpdateControls();

    CColorButton* m_btnFillColor = nullptr;
    CColorButton* m_btnLineColor = nullptr;
    CSliderCtrl* m_sliderWidth = nullptr;
    QCheckBox* m_chkShow = nullptr;
    QGroupBox* m_grpColors = nullptr;
    QGroupBox* m_grpWidth = nullptr;

protected:
    void DoDataExchange() override;

    void OnFillColor();
    void OnLineColor();
    void OnShow();

    // The colour button's click: opens the chooser on setting. Only a
    // confirmed colour that differs from setting is stored, shown on button
    // and drawn.
    static void ChooseColor(COLORREF& setting, CColorButton* button);
    // A check box's click: setting follows the box only from 1 to 0 or from
    // 0 to 1, then is marked and drawn. Any other value (a hand-edited store)
    // is left alone. Returns whether the setting changed.
    static bool FollowCheck(const QAbstractButton* box, BOOL& setting);

private:
    const Descriptor& m_part;
};
