#include "config/ColorButton.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

// The width and height of a 3-D edge: the swatch leaves the button's frame
// this much room on every side.
constexpr int kEdge = 2;

constexpr COLORREF kDisabledSwatch = RGB(200, 200, 200);
constexpr COLORREF kLightText = RGB(255, 255, 254);
constexpr COLORREF kDarkText = RGB(0, 0, 0);
// The greyed caption: the shadow of the embossed text, dark enough to read on
// the grey swatch (almost 4 : 1 where the strokes are solid) yet lighter than
// an enabled caption, and its white highlight.
constexpr COLORREF kDisabledText = RGB(96, 96, 96);
constexpr COLORREF kDisabledHighlight = RGB(255, 255, 255);

} // namespace

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent) { SetColor(m_crColor); }

void CColorButton::SetColor(COLORREF crColor)
{
    m_crColor = crColor & 0x00FFFFFF;
    setAccessibleDescription(ToQColor(m_crColor).name());
    update();
}

void CColorButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawItem(painter, isDown(), !isEnabled());
}

void CColorButton::DrawItem(QPainter& painter, bool bPressed, bool bDisabled)
{
    const QString caption = text();
    const int sum = GetRValue(m_crColor) + GetGValue(m_crColor) + GetBValue(m_crColor);
    const COLORREF crText = sum < 300 ? kLightText : kDarkText;

    // A plain push-button frame: never the focus or default-button look.
    QStyleOptionButton opt;
    opt.initFrom(this);
    opt.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    opt.state |= bPressed ? QStyle::State_Sunken : QStyle::State_Raised;
    if (bDisabled)
        opt.state &= ~QStyle::State_Enabled;
    opt.features = QStyleOptionButton::None;
    style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &painter, this);

    // Edges exclusive, as the original rectangles; the swatch does not move
    // when pressed.
    const int left = kEdge, top = kEdge;
    const int right = width() - kEdge, bottom = height() - kEdge;
    painter.fillRect(QRect(left, top, right - left, bottom - top), ToQColor(bDisabled ? kDisabledSwatch : m_crColor));

    if (caption.isEmpty())
        return;
    painter.setFont(font());
    const QFontMetrics fm(font());
    const int cx = fm.horizontalAdvance(caption);
    const int cy = fm.ascent() + fm.descent();
    int x = (left + right) / 2 - cx / 2;
    int y = (top + bottom) / 2 - cy / 2;
    if (bPressed) {
        ++x;
        ++y;
    }
    if (bDisabled) {
        // Embossed: the highlight one pixel down and right, the shadow on top;
        // an ampersand underlines the next character.
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextSingleLine;
        painter.setPen(ToQColor(kDisabledHighlight));
        painter.drawText(QRect(x + 1, y + 1, cx, cy), flags, caption);
        painter.setPen(ToQColor(kDisabledText));
        painter.drawText(QRect(x, y, cx, cy), flags, caption);
        return;
    }
    painter.setPen(ToQColor(crText));
    painter.drawText(x, y + fm.ascent(), caption);
}
