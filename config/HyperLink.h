#pragma once
// A static text turned into a link: underlined, in the palette's link colour
// until opened and its visited-link colour after, either made lighter or
// darker where it would not read on the window, on a transparent background,
// with the link as its tooltip. A click, Enter or Space hands the link to the
// desktop to open; it is a stop of the Tab order when its template says so.

#include <functional>

#include <QLabel>
#include <QString>
#include <QUrl>

#include "platform/WinTypes.h"

class CHyperLink : public QLabel {
    Q_OBJECT
public:
    // Opens a link; false when it could not be opened.
    using Opener = std::function<bool(const QUrl&)>;

    explicit CHyperLink(QWidget* parent = nullptr);

    // The link a click opens; also the tooltip's text.
    void SetURL(const QString& strURL);
    // Replaces, for the whole process, what opens links (by default the
    // desktop's handler); returns the previous opener.
    static Opener SetOpener(Opener opener);

    // Opens the link, as a click does (also for assistive tools).
    void OnClicked();

    // Tooltips wrap at this width, in pixels.
    static constexpr int kMaxTipWidth = 120;
    // The contrast the link's text keeps against the window: what body text
    // needs to be read with low vision (WCAG AA).
    static constexpr double kMinContrast = 4.5;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateLook();
    void UpdateTip();

    BOOL m_bVisited = 0;
    QString m_strURL;
};
