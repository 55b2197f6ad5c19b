#pragma once
// Turns a dialog template into widgets: every control made as a child of the
// dialog at its rectangle, converted from dialog units with the dialog font's
// average character width and height, as the original platform does.

#include <functional>

#include <QFont>
#include <QHash>
#include <QRect>
#include <QSize>

#include "res/Templates.h"

class QMetaObject;
class QWidget;

// Dialog base units of a font: the average width of its letters (the mean
// advance of A-Z and a-z, halved and rounded the original way) and the height
// of a line (ascent + descent).
struct DialogBaseUnits {
    int cx = 0;
    int cy = 0;
};

// number * numerator / denominator, rounded half away from zero; -1 when the
// denominator is 0.
int MulDiv(int number, int numerator, int denominator);

class CDialogBuilder {
public:
    // Makes the widget for one control as a child of parent; returning nullptr
    // lets the builder make it with its own class for the kind.
    using ControlFactory = std::function<QWidget*(const res::ControlTemplate&, QWidget* parent)>;

    // The templates name "MS Sans Serif" 8, which Linux does not have: the
    // dialogs use the font they are given, normally the application's.
    explicit CDialogBuilder(const QFont& font);

    static DialogBaseUnits BaseUnits(const QFont& font);
    const DialogBaseUnits& Units() const { return m_units; }

    // Each of x, y, w and h converted on its own: x and w by cx / 4, y and h by cy / 8.
    QRect MapDialogRect(int x, int y, int w, int h) const;
    QSize MapDialogSize(int cx, int cy) const;

    // The class the builder makes for a kind of control.
    static const QMetaObject* DefaultClass(res::Kind kind);

    // Makes every control of t as a visible child of parent, in template order
    // (which is also the Tab order); group boxes lie beneath the controls they
    // frame and let the mouse through. Returns the controls by id; those with
    // IDC_STATIC are made but not listed.
    QHash<int, QWidget*> Build(QWidget* parent, const res::DialogTemplate& t, const ControlFactory& factory = {}) const;

    // Puts the focusable controls among items in the Tab order a reader
    // reads t in, row by row from the top and left to right within a row,
    // rather than in template order, which zig-zags between columns.
    static void OrderTabStopsByRows(const res::DialogTemplate& t, const QHash<int, QWidget*>& items);
    // Controls whose tops lie this many dialog units (a line of text) or less
    // below the top of a row's first control stand on that row.
    static constexpr int kRowTolerance = 8;

private:
    QWidget* CreateDefault(const res::ControlTemplate& c, QWidget* parent) const;
    void Configure(QWidget* w, const res::ControlTemplate& c) const;

    QFont m_font;
    DialogBaseUnits m_units;
};
