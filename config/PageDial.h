#pragma once
// The Dial tab: the dial on or off, its colours and thickness, and the face
// background colour, which stays editable while the dial is hidden.

#include "config/PartPage.h"

class QLabel;

class CPageDial : public CPartPage {
    Q_OBJECT
public:
    explicit CPageDial(QWidget* parent = nullptr);

    static const Descriptor kPart;

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;

    CColorButton* m_btnBackColor = nullptr;
    QGroupBox* m_grpBackground = nullptr;
    QLabel* m_stcHint = nullptr; // about the clear colour

protected:
    void DoDataExchange() override;

    void OnBackgroundColor();
};
