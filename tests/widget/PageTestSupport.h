#pragma once
// Shared by the page tests: first-start settings in a folder of their own, the
// real clock window as theApp's main window, a time the test moves on,
// choosers that answer as told, recorded message boxes, and the
// configuration dialog on the page under test.

#include <ctime>
#include <functional>
#include <memory>
#include <optional>

#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>

#include "app/ClockApp.h"
#include "clock/ClockFace.h"
#include "config/Choosers.h"
#include "config/ConfigDlg.h"
#include "config/PropertySheet.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "res/Templates.h"
#include "window/ClockDlg.h"

namespace pagetest {

// Answers as told (nullopt: cancelled) and records what it opened on.
struct StubChoosers final : IChoosers {
    std::optional<COLORREF> color;
    std::optional<CHOSENFONT> font;
    QList<COLORREF> colorOpenedOn;
    QList<CHOSENFONT> fontOpenedOn;
    bool ChooseColor(COLORREF initial, COLORREF* out) override
    {
        colorOpenedOn << initial;
        if (color)
            *out = *color;
        return color.has_value();
    }
    bool ChooseFont(CHOSENFONT& f) override
    {
        fontOpenedOn << f;
        if (font)
            f = *font;
        return font.has_value();
    }
};

struct SteppedClock final : platform::IClock {
    std::time_t Now() const override { return now; }
    long long NowMs() const override { return (long long)now * 1000; }
    std::time_t now = 1099822110;
};

// Tabs of the configuration dialog.
enum Tab { kGeometry, kColors, kDial, kSecs, kMin, kHour, kDate, kMisc };

class Bench {
public:
    // setUp runs on the first-start settings (1024 x 768 screen) before the
    // clock is made.
    explicit Bench(const std::function<void()>& setUp = [] {})
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("xdg"))));
        theApp.ResetForTests();
        theApp.SetScreenSize(QSize(1024, 768));
        theApp.UseIniFileAt(m_dir.filePath(QStringLiteral("vitrodial.ini")));
        theApp.LoadSettings();
        setUp();
        platform::SetClock(m_time);
        SetChoosers(std::unique_ptr<IChoosers>(choosers));
        m_oldHandler = platform::SetMessageHandler([this](const QString& text) { messages << text; });
        clock.setGeometry(theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize, theApp.m_nSize);
        clock.ApplyLayering();
        theApp.m_pMainWnd = &clock;
        clock.DrawClock();
    }
    ~Bench()
    {
        dlg.reset();
        theApp.m_pMainWnd = nullptr;
        SetChoosers(nullptr);
        platform::SetClock(nullptr);
        platform::SetMessageHandler(std::move(m_oldHandler));
    }

    template <class Page = CPropertyPage>
    Page* Open(int tab)
    {
        dlg = std::make_unique<CConfigDlg>();
        dlg->Create(nullptr);
        dlg->GetSheet().SetActivePage(tab);
        Arm();
        return qobject_cast<Page*>(dlg->GetSheet().GetActivePage());
    }
    void Reselect(int tab)
    {
        dlg->GetSheet().SetActivePage(tab == kGeometry ? kColors : kGeometry);
        dlg->GetSheet().SetActivePage(tab);
    }

    // Moves the time on, so that any later redraw changes the face, and
    // clears the settings-changed flag.
    void Arm()
    {
        m_time->now += 10 * 60 + 7;
        m_shown = Shown().copy();
        theApp.m_bModified = 0;
    }
    const QImage& Shown() const { return clock.Surface().Current(); }
    bool Redrawn() const { return Shown() != m_shown; }
    // Drawn with the settings as they are now.
    bool ShowsSettings() const
    {
        QImage expected(Shown().size(), QImage::Format_RGB32);
        QPainter painter(&expected);
        CClockFace(0, 0, expected.width(), expected.height()).DrawAt(&painter, m_time->now);
        painter.end();
        return Shown() == expected;
    }

    StubChoosers* choosers = new StubChoosers;  // owned by SetChoosers
    QStringList messages;
    CClockDlg clock;
    std::unique_ptr<CConfigDlg> dlg;

private:
    QTemporaryDir m_dir;
    std::shared_ptr<SteppedClock> m_time = std::make_shared<SteppedClock>();
    platform::MessageHandler m_oldHandler;
    QImage m_shown;
};

template <class T>
T* Item(const CPropertyPage* page, int id)
{
    return qobject_cast<T*>(page->GetDlgItem(id));
}

inline QRect SliderThumb(const QSlider* slider)
{
    struct Access : QSlider {
        using QSlider::initStyleOption;
    };
    QStyleOptionSlider opt;
    (slider->*&Access::initStyleOption)(&opt);
    return slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
}

// The page's controls whose enabled state differs from "enabled unless in
// greyed".
inline QList<int> WronglyEnabled(const CPropertyPage* page, const QList<int>& greyed)
{
    QList<int> wrong;
    const res::DialogTemplate* t = res::FindDialogTemplate(page->TemplateId());
    for (std::size_t i = 0; i < t->count; ++i) {
        const int id = t->controls[i].id;
        if (QWidget* w = page->GetDlgItem(id); w && w->isEnabled() == greyed.contains(id))
            wrong << id;
    }
    return wrong;
}

} // namespace pagetest
