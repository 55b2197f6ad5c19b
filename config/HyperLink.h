#pragma once
// A static text turned into a link: underlined, blue until opened and purple
// after, on a transparent background, with the link as its tooltip; a click
// hands the link to the desktop to open.

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

    // Tooltips wrap at this width, in pixels.
    static constexpr int kMaxTipWidth = 120;

    COLORREF m_crLinkColor = RGB(0, 0, 255);
    COLORREF m_crVisitedColor = RGB(128, 0, 128);

protected:
    void OnClicked();
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateLook();
    void UpdateTip();

    BOOL m_bVisited = 0;
    QString m_strURL;
};
