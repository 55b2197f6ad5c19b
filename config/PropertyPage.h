#pragma once
// A page of the configuration sheet, made from its dialog template. The page
// widget exists from the start; its controls are made the first time its tab
// is selected, when OnInitDialog runs, and OnSetActive runs at every selection.

#include <functional>
#include <vector>

#include <QHash>
#include <QWidget>

#include "platform/WinTypes.h"

class CSliderCtrl;
namespace res {
struct ControlTemplate;
struct DialogTemplate;
} // namespace res

class CPropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit CPropertyPage(int nTemplateId, QWidget* parent = nullptr);
    ~CPropertyPage() override;

    int TemplateId() const { return m_nTemplateId; }
    // The template's caption: the text of the page's tab.
    QString Caption() const;

    // The control with this id; nullptr before the page is built or for an
    // unknown id.
    QWidget* GetDlgItem(int nId) const { return m_items.value(nId); }

    // Called by the sheet when the page's tab becomes the selected one: the
    // first time builds the controls and runs OnInitDialog, every time runs
    // OnSetActive.
    BOOL Activate();

    // The client size the template asks for.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Once, right after the controls were made. The base returns 1.
    virtual BOOL OnInitDialog();
    // At every selection of the page, after OnInitDialog the first time. The
    // base returns 1.
    virtual BOOL OnSetActive();
    // Trackbar notifications of the page's horizontal and vertical sliders
    // (codes TB_LINEUP ... TB_ENDTRACK). The base does nothing.
    virtual void OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar);
    virtual void OnVScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar);

protected:
    // Names, with DDX_Control, the controls the page keeps pointers to. It
    // runs once, before the controls are made: each named control is made as
    // the member's class when the builder's own class for it is not one (a
    // push button bound to a CColorButton becomes a colour button), and the
    // pointer is set as soon as the control exists.
    virtual void DoDataExchange() {}

    template <class T> void DDX_Control(int nId, T*& member)
    {
        Binding b;
        b.meta = &T::staticMetaObject;
        b.make = [](QWidget* parent) -> QWidget* { return new T(parent); };
        b.assign = [&member](QWidget* w) { member = qobject_cast<T*>(w); };
        m_bindings.insert(nId, std::move(b));
    }

private:
    struct Binding {
        const QMetaObject* meta = nullptr;
        std::function<QWidget*(QWidget*)> make;
        std::function<void(QWidget*)> assign;
    };

    const res::DialogTemplate& Template() const;
    void Build();

    int m_nTemplateId;
    bool m_bBuilt = false;
    QHash<int, QWidget*> m_items;
    QHash<int, Binding> m_bindings;
};
