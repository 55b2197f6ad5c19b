#pragma once
// The sheet: a tab strip in one row (scrolled with arrow buttons, never
// stacked) over the selected page, inside the margin the original sheet keeps
// before its tab control. Each page is built on its first selection.
// Ctrl+Tab and Ctrl+Page Down select the next page, Ctrl+Shift+Tab and
// Ctrl+Page Up the previous one, from any control of the dialog, wrapping
// round; Left and Right do the same (without wrapping) on the tab strip.

#include <QWidget>

class CPropertyPage;
class QTabWidget;

class CPropertySheet : public QWidget {
    Q_OBJECT
public:
    explicit CPropertySheet(QWidget* parent = nullptr);

    // Adds a page; its tab text is its template's caption. The sheet does not
    // take ownership.
    void AddPage(CPropertyPage* pPage);

    // Makes the sheet a visible child of pParent, sized for its largest page,
    // and selects the first page (which builds it).
    bool Create(QWidget* pParent);

    CPropertyPage* GetPage(int nPage) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    bool SetActivePage(int nPage);
    QTabWidget* GetTabControl() const { return m_pTabs; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void OnSelChange(int index);
    // Selects the page step pages on, wrapping round.
    void StepPage(int step);

    QTabWidget* m_pTabs;
    bool m_bCreated = false;
};
