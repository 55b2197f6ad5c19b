#pragma once
// The trackbar: a QSlider that reports every change the user makes with the
// notification codes and in the order of the original control, so that the
// pages' OnHScroll / OnVScroll work as written. Left lowers the position and
// Right raises it; on a horizontal slider Up, Page Up and the wheel rolled
// away raise it, as on every other slider of the desktop, while a vertical
// one keeps its minimum at the top, so there they lower it. The codes name
// the direction of the change (...UP lower, ...DOWN raise), whatever the key.
// Programmatic changes (SetPos, SetRange) notify nobody.

#include <QBasicTimer>
#include <QSet>
#include <QSlider>

#include "platform/WinTypes.h"

constexpr int TB_LINEUP = 0;
constexpr int TB_LINEDOWN = 1;
constexpr int TB_PAGEUP = 2;
constexpr int TB_PAGEDOWN = 3;
constexpr int TB_THUMBPOSITION = 4;
constexpr int TB_THUMBTRACK = 5;
constexpr int TB_TOP = 6;
constexpr int TB_BOTTOM = 7;
constexpr int TB_ENDTRACK = 8;

class CSliderCtrl : public QSlider {
    Q_OBJECT
public:
    explicit CSliderCtrl(QWidget* parent = nullptr);
    explicit CSliderCtrl(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Keeps a vertical slider's minimum at the top.
    void setOrientation(Qt::Orientation orientation);

    void SetRange(int nMin, int nMax, BOOL bRedraw = 0);
    void SetTicFreq(int nFreq);
    void SetPageSize(int nSize);
    void SetPos(int nPos);
    int GetPos() const { return value(); }
    // A position the user chose other than with keys or the mouse (through
    // an assistive tool): moved to and reported as a key press would be, a
    // line step's code toward it and then TB_ENDTRACK.
    void UserSetPos(int nPos);

signals:
    // One trackbar notification; nPos is the position for TB_THUMBTRACK and
    // TB_THUMBPOSITION and 0 for the other codes, as the original sends it.
    void Scroll(int nSBCode, int nPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    enum class Track { None, Thumb, Page };

    void Notify(int code);
    // Moves by delta unless already at that end; notifies code on a move.
    void Step(int delta, int code);
    // One line or one page toward the maximum (direction > 0) or the minimum.
    void Line(int direction);
    void Page(int direction);
    // +1 when Up raises the position, -1 when it lowers it.
    int UpDirection() const;
    int Along(const QPoint& p) const;
    QRect HandleRect() const;
    // The position whose thumb starts at the given pixel along the slider.
    int ValueAtPixel(int pixel) const;
    // > 0 when a click at p pages toward the maximum, < 0 toward the minimum,
    // 0 when p is not in the channel beside the thumb.
    int PageDirection(const QPoint& p) const;
    void AutoPage();

    Track m_track = Track::None;
    int m_nDragOffset = 0;
    int m_nPageDir = 0;
    QPoint m_ptPage;
    QBasicTimer m_pageTimer;
    QSet<int> m_keysDown;
    int m_nWheelAccum = 0;
};
