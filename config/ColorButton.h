#pragma once
// The push button the pages use for a colour setting: its caption drawn on a
// swatch of the colour it stands for. It only shows the colour; the page
// handles the click and hands the chosen colour back with SetColor.

#include <QPushButton>

#include "platform/WinTypes.h"

class CColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);

    // Stores the colour (high byte cleared), repaints the button and gives
    // the colour ("#ff0000") as its accessible description, since the swatch
    // is all that shows it.
    void SetColor(COLORREF crColor);

    COLORREF m_crColor = RGB(80, 80, 80);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Paints the whole button in the given state; paintEvent passes the
    // button's own.
    void DrawItem(QPainter& painter, bool bPressed, bool bDisabled);
};
