#pragma once
// The one configuration window: a tab strip of eight pages and two buttons,
// "Dismiss" (save and hide) and "Close Vitrodial" (save and end the program).

#include <QDialog>

class CConfigDlg : public QDialog {
    Q_OBJECT
public:
    explicit CConfigDlg(QWidget* parent = nullptr);
    ~CConfigDlg() override;

    // Builds the window from its template with the clock window as owner;
    // false when it could not be made.
    bool Create(QWidget* owner);

    void OnOK();          // "Dismiss"
    void OnCloseClock();  // "Close Vitrodial"
};
