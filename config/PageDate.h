#pragma once
// The Date tab: the date line on or off, its contents, box, colours,
// thickness and font.

#include "config/PartPage.h"

class QPushButton;

class CPageDate : public CPartPage {
    Q_OBJECT
public:
    explicit CPageDate(QWidget* parent = nullptr);

    static const Descriptor kPart;

    BOOL OnInitDialog() override;

    // Also greys out the font and the content boxes with the date; the boxes
    // get their marks only while the date is shown.
    void UpdateControls() override;

    QCheckBox* m_chkMonth = nullptr;  // "Show Month"
    QCheckBox* m_chkBox = nullptr;    // "Enclose in box"
    QCheckBox* m_chkAmPm = nullptr;   // "Show AM/PM"
    QCheckBox* m_chkDay = nullptr;    // "Show Day"
    QPushButton* m_btnFont = nullptr; // "Font Select..."
    QGroupBox* m_grpFont = nullptr;   // "Date Font"

protected:
    void DoDataExchange() override;

    void OnFontSelect();
    void OnShowDay();
    void OnShowAmPm();
    void OnDateBox();
    void OnShowMonth();
};
