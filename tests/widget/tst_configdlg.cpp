// The configuration dialog and its eight pages, against a clock window that
// records what it is asked: the tabs, controls at the rectangles of their
// templates, the ways out, and for every control of a page exactly its
// settings changed, marked and shown, everything else left as it was.

#include <cmath>
#include <variant>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include "app/Autostart.h"
#include "app/ClockApp.h"
#include "app/ClockWindow.h"
#include "app/IniFileStore.h"
#include "app/RegistryStore.h"
#include "app/SettingsTable.h"
#include "config/Choosers.h"
#include "config/ColorButton.h"
#include "config/ConfigDlg.h"
#include "config/DialogBuilder.h"
#include "config/HyperLink.h"
#include "config/PropertySheet.h"
#include "config/SliderCtrl.h"
#include "platform/MessageBox.h"
#include "res/Templates.h"

namespace {

// Every stored setting as "Section/Key" = value.
QMap<QString, QString> Snapshot()
{
    QMap<QString, QString> all;
    for (const settings::Setting& s : settings::kSettings)
        std::visit([&](auto m) { all[QString("%1/%2").arg(s.section, s.key)] = QVariant(theApp.*m).toString(); },
                   s.member);
    return all;
}
template <class T> T& Setting(const QString& key)
{
    for (const settings::Setting& s : settings::kSettings)
        if (key == QString("%1/%2").arg(s.section, s.key))
            return theApp.*std::get<T CClockApp::*>(s.member);
    qFatal("no setting %s", qPrintable(key));
}

struct StubChoosers final : IChoosers {
    std::optional<COLORREF> color; // nullopt: cancelled
    std::optional<CHOSENFONT> font;
    QList<COLORREF> colorOpenedOn;
    QList<CHOSENFONT> fontOpenedOn;
    bool ChooseColor(COLORREF c, COLORREF* out) override { return colorOpenedOn << c, color && (*out = *color, true); }
    bool ChooseFont(CHOSENFONT& f) override { return fontOpenedOn << f, font && (f = *font, true); }
};

// What the pages ask of the clock, in order; "draw" with the settings drawn.
struct RecordingClock final : IClockWindow {
    QStringList calls;
    QMap<QString, QString> drawnWith;
    bool resizeFails = false;
    std::function<void()> onQuit;
    void DrawClock() override { calls << "draw", drawnWith = Snapshot(); }
    void SetLayeredWindowAttributes(COLORREF k, int a) override
    {
        calls << QString("layering %1 %2").arg(k, 0, 16).arg(a);
    }
    bool MoveClock(int x, int y) override { return calls << QString("move %1 %2").arg(x).arg(y), true; }
    bool ResizeClock(int size) override { return calls << QString("resize %1").arg(size), !resizeFails; }
    void SetTopMost(bool on) override { calls << QString("topmost %1").arg(on); }
    bool AddTrayIcon() override { return calls << "add tray", true; }
    bool RemoveTrayIcon() override { return calls << "remove tray", true; }
    void PostQuitMessage() override { calls << "quit", onQuit ? onQuit() : void(); }
};

enum Tab { kGeometry, kColors, kDial, kSecs, kMin, kHour, kDate, kMisc };

// First-start settings (1024 x 768 screen) in a folder of their own, the
// recording clock as theApp's main window, the dialog on the page under test.
struct Bench {
    explicit Bench(const std::function<void()>& setUp = [] {})
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("xdg"))));
        theApp.ResetForTests();
        theApp.SetScreenSize(QSize(1024, 768));
        theApp.UseIniFileAt(dir.filePath(QStringLiteral("vitrodial.ini")));
        theApp.LoadSettings();
        setUp();
        SetChoosers(std::unique_ptr<IChoosers>(choosers));
        oldHandler = platform::SetMessageHandler([this](const QString& text) { messages << text; });
        theApp.m_pMainWnd = &clock;
    }
    ~Bench()
    {
        dlg.reset();
        theApp.m_pMainWnd = nullptr;
        SetChoosers(nullptr);
        platform::SetMessageHandler(std::move(oldHandler));
    }
    template <class Page = CPropertyPage> Page* Open(int tab)
    {
        dlg = std::make_unique<CConfigDlg>();
        dlg->Create(nullptr);
        Reselect(tab);
        return qobject_cast<Page*>(dlg->GetSheet().GetActivePage());
    }
    // Away and back; from here on, what changes is counted.
    void Reselect(int tab)
    {
        dlg->GetSheet().SetActivePage(tab == kGeometry ? kColors : kGeometry);
        dlg->GetSheet().SetActivePage(tab);
        before = Snapshot();
        clock.calls.clear();
        theApp.m_bModified = 0;
    }
    QStringList Changed() const
    {
        QStringList changed;
        const auto now = Snapshot();
        for (auto it = now.cbegin(); it != now.cend(); ++it)
            if (before.value(it.key()) != it.value())
                changed << it.key();
        return changed;
    }
    // Exactly keys changed, marked and drawn as they are now; no keys:
    // nothing changed, marked or drawn.
    bool Only(const QStringList& keys) const
    {
        return Changed() == keys && theApp.m_bModified == !keys.isEmpty()
               && clock.calls.contains("draw") == !keys.isEmpty() && (keys.isEmpty() || clock.drawnWith == Snapshot());
    }

    QTemporaryDir dir;
    StubChoosers* choosers = new StubChoosers; // owned by SetChoosers
    QStringList messages;
    RecordingClock clock;
    std::unique_ptr<CConfigDlg> dlg;
    platform::MessageHandler oldHandler;
    QMap<QString, QString> before;
};

// The part pages with their settings section, show box, and what the show
// box never greys out.
struct Part {
    QString section;
    int tab;
    QString show;
    QStringList kept;
};
const Part kParts[] = {{"Hour", kHour, {}, {}},
                       {"Minute", kMin, {}, {}},
                       {"Seconds", kSecs, "Show Seconds Hand", {}},
                       {"Dial", kDial, "Show Dial", {"Select Color", "Background", "Typically"}},
                       {"Date", kDate, "Show Day Date", {}}};

// A control found by its text in the template (none: the slider).
template <class T = QWidget> T* Control(const CPropertyPage* page, const QString& text)
{
    const res::DialogTemplate* t = res::FindDialogTemplate(page->TemplateId());
    for (std::size_t i = 0; i < t->count; ++i)
        if (text.isEmpty() ? t->controls[i].kind == res::Kind::Slider : text == t->controls[i].text)
            return qobject_cast<T*>(page->GetDlgItem(t->controls[i].id));
    return nullptr;
}
// The contrast ratio of two colours, as WCAG defines it.
double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF()) + 0.05;
    };
    return std::max(luminance(a), luminance(b)) / std::min(luminance(a), luminance(b));
}
int StoredHourWidth() { return theApp.Store().GetProfileInt(QStringLiteral("Hour"), QStringLiteral("Width"), -1); }

} // namespace

class TestConfigDlg : public QObject {
    Q_OBJECT

private slots:
    // Dialog units: x and width by a quarter, y and height by an eighth of
    // the dialog font's base units, here those of DejaVu Sans at 9 points.
    void controlsAtTheirTemplateRectangles()
    {
        // Between them, fractions of a pixel of .25, .5 and .75 to round,
        // and sizes that differ from those of the rounded edges.
        const std::tuple<int, int, QRect> controls[] = {// template {140, 167, 74, 16}
                                                        {res::IDD_CONFIG, res::IDOK, {245, 292, 130, 28}},
                                                        // template {187, 13, 27, 113}
                                                        {res::IDD_PAGE_GEOM, res::geometry::IDC_Y, {327, 23, 47, 198}},
                                                        // template {25, 97, 177, 22}
                                                        {res::IDD_PAGE_HOUR, res::hour::IDC_WIDTH, {44, 170, 310, 39}}};
        QWidget parent;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSize(9);
        const CDialogBuilder builder(font);
        QCOMPARE(QSize(builder.Units().cx, builder.Units().cy), QSize(7, 14));
        for (const auto& [dialog, id, golden] : controls)
            QCOMPARE(builder.Build(&parent, *res::FindDialogTemplate(dialog)).value(id)->geometry(), golden);
    }

    // Page keys from "Dismiss" (0), the tab strip (1) or a page's first control
    // (2, which Tab from the strip reaches with no stop between); both ends wrap.
    void keysSwitchPages()
    {
        const std::tuple<int, int, const char*, int> rows[] = {{7, 2, "Ctrl+Tab", 0},
                                                               {0, 0, "Ctrl+Shift+Tab", 7},
                                                               {1, 2, "Ctrl+PgDown", 2},
                                                               {3, 1, "Ctrl+PgUp", 2},
                                                               {2, 1, "Right", 3}};
        for (const auto& [from, focus, keys, to] : rows) {
            CConfigDlg dlg;
            QVERIFY(dlg.Create(nullptr) && QTest::qWaitForWindowActive(&dlg));
            CPropertySheet& sheet = dlg.GetSheet();
            sheet.SetActivePage(from);
            QWidget* start = focus == 0 ? dlg.GetDlgItem(res::IDOK) : sheet.GetTabControl()->tabBar();
            start->setFocus();
            if (focus == 2)
                QTest::keyClick(start, Qt::Key_Tab);
            QVERIFY(focus != 2 || sheet.GetActivePage()->isAncestorOf(QApplication::focusWidget()));
            QTest::keySequence(QApplication::focusWidget(), QKeySequence(keys));
            QVERIFY2(sheet.GetActiveIndex() == to && QApplication::focusWidget()->isVisible(), keys);
        }
    }

    // OK on a stored face that is not installed keeps it, not the face shown instead.
    void fontChooserKeepsAFaceNotInstalled()
    {
        CFontChooser chooser(CHOSENFONT{QStringLiteral("No Such Face"), 400, 1});
        chooser.accept();
        QCOMPARE(chooser.Chosen().strFaceName, QStringLiteral("No Such Face"));
    }

    // "Dismiss" and the window manager's close save (only a change) and hide;
    // "Close Vitrodial" saves, then ends the clock's run.
    void waysOut_data()
    {
        QTest::addColumn<int>("modified");
        QTest::addColumn<int>("way"); // 0 Dismiss, 1 window manager, 2 Close Vitrodial
        QTest::newRow("unchanged") << 0 << 0;
        QTest::newRow("changed") << 1 << 0;
        QTest::newRow("window manager close") << 1 << 1;
        QTest::newRow("Close Vitrodial") << 1 << 2;
    }
    void waysOut()
    {
        QFETCH(int, modified);
        QFETCH(int, way);
        Bench bench;
        bench.Open(kGeometry);
        int storedAtQuit = 0;
        bench.clock.onQuit = [&] { storedAtQuit = StoredHourWidth(); };
        theApp.m_nHourWidth = 7;
        theApp.m_bModified = modified;
        if (way == 1)
            QVERIFY(!bench.dlg->close());
        else
            qobject_cast<QAbstractButton*>(bench.dlg->GetDlgItem(way ? res::IDC_CLOSE_CLOCK : res::IDOK))->click();
        QVERIFY(!bench.dlg->isVisible());
        QCOMPARE(StoredHourWidth(), modified ? 7 : -1);
        QCOMPARE(bench.clock.calls, way == 2 ? QStringList{"quit"} : QStringList());
        QCOMPARE(storedAtQuit, way == 2 ? 7 : 0);
    }

    // Walks the part pages: their colours (shown as changed elsewhere, by the
    // reset buttons, at the next selection; cancelled or unchanged: nothing
    // happens), the slider codes that act, and the show box.
    void partPage_data()
    {
        QTest::addColumn<int>("part");
        for (const Part& p : kParts)
            QTest::newRow(qPrintable(p.section)) << int(&p - kParts);
    }
    void partPage()
    {
        QFETCH(int, part);
        const Part& p = kParts[part];
        Bench bench;
        CPropertyPage* page = bench.Open(p.tab);
        for (const auto& [text, key] :
             {std::pair{"Fill Color...", "/Fill"}, {"Line Color...", "/Frame"}, {"Select Color...", "/Background"}}) {
            auto* button = Control<CColorButton>(page, text);
            if (!button)
                continue;
            Setting<COLORREF>(p.section + key) = 0x123456;
            bench.Reselect(p.tab);
            QCOMPARE(button->m_crColor, COLORREF(0x123456));
            bench.choosers->color.reset();
            QTest::mouseClick(button, Qt::LeftButton);
            bench.choosers->color = 0x123456;
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(bench.Only({}));
            bench.choosers->color = 0xA0B0C0;
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(bench.Only({p.section + key}));
            QCOMPARE(button->m_crColor, COLORREF(0xA0B0C0));
            QCOMPARE(bench.choosers->colorOpenedOn.mid(0, 3), QList<COLORREF>(3, 0x123456));
            bench.choosers->colorOpenedOn.clear();
        }
        auto* slider = Control<CSliderCtrl>(page, {});
        Setting<int>(p.section + "/Width") = 5;
        bench.Reselect(p.tab);
        QCOMPARE(slider->GetPos(), 5);
        QList<int> acted;
        for (int code = TB_LINEUP; code <= TB_ENDTRACK; ++code) {
            bench.Reselect(p.tab);
            slider->SetPos(code);
            page->OnHScroll(code, 0, slider);
            if (bench.Only({p.section + "/Width"}))
                acted << code;
            page->OnHScroll(TB_ENDTRACK, 0, slider); // applies what was left, once
            QVERIFY(bench.Only({p.section + "/Width"}) && bench.clock.calls == QStringList{"draw"});
        }
        QCOMPARE(acted, (QList<int>{TB_LINEUP, TB_LINEDOWN, TB_PAGEUP, TB_PAGEDOWN, TB_THUMBTRACK, TB_ENDTRACK}));
        QTest::keyClick(slider, Qt::Key_Right);
        QCOMPARE(Setting<int>(p.section + "/Width"), TB_ENDTRACK + 1);
        if (p.show.isEmpty())
            return;
        // Unchecked greys out every other control but those kept; a
        // hand-edited 2 is neither 0 nor 1, so a click leaves it alone.
        auto* box = Control<QCheckBox>(page, p.show);
        const res::DialogTemplate* t = res::FindDialogTemplate(page->TemplateId());
        for (const int flag : {0, 1, 2}) {
            Setting<int>(p.section + "/Show") = flag == 2 ? 2 : !flag;
            bench.Reselect(p.tab);
            QTest::mouseClick(box, Qt::LeftButton);
            QVERIFY(bench.Only(flag == 2 ? QStringList() : QStringList{p.section + "/Show"}));
            for (std::size_t i = 0; flag < 2 && i < t->count; ++i) {
                const QString text = t->controls[i].text;
                const bool kept = text == p.show || std::any_of(p.kept.begin(), p.kept.end(), [&](auto& k) {
                                      return text.startsWith(k);
                                  });
                QVERIFY2(page->GetDlgItem(t->controls[i].id)->isEnabled() == (flag || kept), qPrintable(text));
            }
        }
    }

    // The content boxes follow only 0 and 1, and get their marks only while
    // the date is shown; the font chooser opens on the face cut to the font
    // record, the weight and the italic flag's low byte, and takes the face,
    // weight and italic chosen; no face chosen changes nothing.
    void datePage()
    {
        Bench bench([] {
            theApp.m_bShowDate = 0, theApp.m_bShowMonth = 2, theApp.m_nFontWeight = 700, theApp.m_bFontItalic = 0x1FF;
            theApp.m_strFontFace = QStringLiteral("A Very Long Face Name That Overflows");
        });
        auto* page = bench.Open<CPageDate>(kDate);
        QVERIFY(!page->m_chkDay->isChecked());
        QTest::mouseClick(page->m_chkShow, Qt::LeftButton);
        QVERIFY(page->m_chkDay->isChecked() && !page->m_chkMonth->isChecked());
        for (const auto& [text, key] : {std::pair{"Show Day", "Date/Day"},
                                        {"Show AM/PM", "Date/AMPM"},
                                        {"Enclose in box", "Date/Box"},
                                        {"Show Month", ""}}) {
            bench.Reselect(kDate);
            QTest::mouseClick(Control(page, text), Qt::LeftButton);
            QVERIFY(bench.Only(*key ? QStringList{key} : QStringList()));
        }
        QTest::mouseClick(page->m_btnFont, Qt::LeftButton);   // cancelled
        bench.choosers->font = CHOSENFONT{QString(), 400, 0}; // no face
        QTest::mouseClick(page->m_btnFont, Qt::LeftButton);
        QVERIFY(bench.Only({}));
        const CHOSENFONT opened = bench.choosers->fontOpenedOn.value(0);
        QVERIFY(opened.strFaceName == "A Very Long Face Name That Over" && opened.lfWeight == 700
                && opened.lfItalic == 0xFF);
        bench.choosers->font = CHOSENFONT{QStringLiteral("DejaVu Sans"), 300, 200};
        QTest::mouseClick(page->m_btnFont, Qt::LeftButton);
        QVERIFY(bench.Only({"Font/Face", "Font/Italic", "Font/Weight"}) && theApp.m_bFontItalic == 200);
    }

    // The clear colour goes to the window's layering at once, with the
    // opacity as it is; the reset buttons show and open on the hour hand's
    // colour and store all five, even where a part has it already.
    void colorsPage()
    {
        Bench bench([] { theApp.m_crClear = 0xFF00; });
        auto* page = bench.Open<CPageColor>(kColors);
        for (const QString call : {"layering ff 128", ""}) {
            bench.Reselect(kColors);
            bench.choosers->color = 0xFF;
            QTest::mouseClick(page->m_btnClear, Qt::LeftButton);
            QCOMPARE(bench.clock.calls.value(0), call);
            QVERIFY(bench.Only(call.isEmpty() ? QStringList() : QStringList{"Color/Clear"}));
        }
        for (const auto& [button, key] : {std::pair{page->m_btnFillColor, "Fill"}, {page->m_btnLineColor, "Frame"}}) {
            Setting<COLORREF>(QString("Hour/") + key) = 0x42;
            bench.Reselect(kColors);
            QCOMPARE(button->m_crColor, COLORREF(0x42));
            bench.choosers->color = 0x42;
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(bench.choosers->colorOpenedOn.last(), COLORREF(0x42));
            QVERIFY(bench.Only(
                QStringList{"Date/", "Dial/", "Minute/", "Seconds/"}.replaceInStrings("/", QString("/") + key)));
        }
    }

    // The clock is moved and resized without a redraw, the slider keeps the
    // focus, a failed resize keeps the size; the thickness slider writes all
    // five and redraws even where nothing moved.
    void geometryPage_data()
    {
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("changed");
        // From the defaults on 1024 x 768: left 128, top 0, size 768.
        QTest::newRow("X Right") << res::geometry::IDC_X << int(Qt::Key_Right) << QStringList{"move 129 0"}
                                 << QStringList{"Geometry/Left"};
        QTest::newRow("Y PageUp") << res::geometry::IDC_Y << int(Qt::Key_PageUp) << QStringList{"move 128 -153"}
                                  << QStringList{"Geometry/Top"};
        QTest::newRow("size Left") << res::geometry::IDC_SIZE << int(Qt::Key_Left) << QStringList{"resize 767"}
                                   << QStringList{"Geometry/Size"};
        QTest::newRow("size fails") << res::geometry::IDC_SIZE << int(Qt::Key_Left) // tried again at the release
                                    << QStringList{"resize 767", "resize 767"} << QStringList{};
        QTest::newRow("thickness at 0") << res::geometry::IDC_WIDTH << int(Qt::Key_Left) << QStringList{"draw"}
                                        << QStringList{"Date/Width", "Dial/Width", "Minute/Width", "Seconds/Width"};
    }
    void geometryPage()
    {
        QFETCH(int, slider);
        QFETCH(int, key);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, changed);
        Bench bench([] { theApp.m_nHourWidth = 0; });
        auto* page = bench.Open<CPageGeom>(kGeometry);
        bench.clock.resizeFails = changed.isEmpty();
        QTest::keyClick(page->GetDlgItem(slider), Qt::Key(key));
        QCOMPARE(bench.clock.calls, calls);
        QCOMPARE(bench.Changed(), changed);
        QCOMPARE(bench.messages, QStringList(calls.size() * changed.isEmpty(), "SetWindowPos failed!"));
        QVERIFY(slider == res::geometry::IDC_WIDTH || bench.dlg->focusWidget() == page->GetDlgItem(slider));
    }

    // Tab walks a page row by row, left to right within a row, then leaves it.
    void tabOrderRowByRow()
    {
        Bench bench;
        bench.Open(kDate);
        QVERIFY(QTest::qWaitForWindowActive(bench.dlg.get()));
        bench.dlg->GetSheet().GetTabControl()->tabBar()->setFocus();
        QStringList order;
        for (int i = 0; i < 10; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QAccessible::queryAccessibleInterface(QApplication::focusWidget())->text(QAccessible::Name);
        }
        QCOMPARE(order,
                 (QStringList{"Show Day Date", "Font Select...", "Date fill colour", "Show Day", "Show Month",
                              "Date line colour", "Show AM/PM", "Enclose in box", "Date Line Thickness", "Dismiss"}));
    }

    // Every page as a screen reader walks it: every control named, sliders by
    // the caption framing them, colour buttons by part and role with their
    // colour as description. A value set through the reader acts as a key
    // would: on the settings, marked changed, and on the clock.
    void accessibleTree()
    {
        Bench bench([] { theApp.m_crHourFill = RGB(255, 0, 0); });
        bench.Open(kGeometry);
        QStringList unnamed, sliders;
        QMap<QString, QString> colours;
        const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* a) {
            const QString name = a->text(QAccessible::Name);
            if (name.isEmpty())
                unnamed << a->object()->metaObject()->className();
            if (a->role() == QAccessible::Slider)
                sliders << name;
            if (qobject_cast<CColorButton*>(a->object()))
                colours[name] = a->text(QAccessible::Description);
            for (int i = 0; i < a->childCount(); ++i)
                walk(a->child(i));
        };
        for (int tab = kGeometry; tab <= kMisc; ++tab) {
            bench.dlg->GetSheet().SetActivePage(tab);
            walk(QAccessible::queryAccessibleInterface(bench.dlg->GetSheet().GetPage(tab)));
        }
        QCOMPARE(unnamed, QStringList());
        QCOMPARE(sliders,
                 (QStringList{"X Position", "Y Pos", "Clock Size", "Reset All Line Thicknesses!", "Opacity",
                              "Dial Lines Thickness", "Seconds Hand Line Thickness", "Minute Hand Line Thickness",
                              "Hour Hand Line Thickness", "Date Line Thickness"}));
        QCOMPARE(colours.size(), 14); // none named like another
        QVERIFY(colours.contains("Clear colour") && colours.contains("Dial background colour"));
        QCOMPARE(colours.value("Hour hand fill colour"), "#ff0000");

        bench.Reselect(kHour);
        auto* slider = Control<CSliderCtrl>(bench.dlg->GetSheet().GetActivePage(), {});
        QAccessible::queryAccessibleInterface(slider)->valueInterface()->setCurrentValue(9);
        QVERIFY(bench.Only({"Hour/Width"}) && theApp.m_nHourWidth == 9);
    }

    // Stay on top and the tray icon switch only between 0 and 1; the links
    // open what they show (an empty link the label's own text), from the
    // mouse, the keyboard (as the page's first Tab stops, Enter without
    // dismissing the dialog) or a screen reader, and change colour once
    // opened.
    void miscPage_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<bool>("opens");
        QTest::newRow("checking") << 0 << true;
        QTest::newRow("unchecking") << 1 << false;
        QTest::newRow("a hand-edited 2") << 2 << true;
    }
    void miscPage()
    {
        QFETCH(int, before);
        QFETCH(bool, opens);
        Bench bench([&] { theApp.m_bTopMost = theApp.m_bTrayIcon = before; });
        auto* page = bench.Open<CPageMisc>(kMisc);
        QTest::mouseClick(page->m_chkTopMost, Qt::LeftButton);
        QTest::mouseClick(page->m_chkTrayIcon, Qt::LeftButton);
        const QStringList calls[] = {{"topmost 1", "add tray"}, {"topmost 0", "remove tray"}, {}};
        QVERIFY(bench.clock.calls == calls[before] && theApp.m_bModified == (before < 2));
        QCOMPARE((QList<int>{theApp.m_bTopMost, theApp.m_bTrayIcon}), QList<int>(2, before < 2 ? !before : 2));
        QStringList opened;
        const auto old = CHyperLink::SetOpener([&](const QUrl& url) { return opened << url.toString(), opens; });
        page->m_linkContact->SetURL(before ? CPageMisc::kContactURL : QString());
        const QColor unvisited = page->m_linkVersion->palette().color(QPalette::WindowText);
        QTest::mouseClick(page->m_linkVersion, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(bench.dlg.get()));
        bench.dlg->GetSheet().GetTabControl()->tabBar()->setFocus();
        for (const auto key : {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return, Qt::Key_Backtab, Qt::Key_Space})
            QTest::keyClick(QApplication::focusWidget(), key);
        QAccessible::queryAccessibleInterface(page->m_linkContact)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        CHyperLink::SetOpener(old);
        const QString contact = before ? CPageMisc::kContactURL : "vitrodial@tessaline.example";
        QCOMPARE(opened, (QStringList{CPageMisc::kWebSiteURL, contact, CPageMisc::kWebSiteURL, contact}));
        QVERIFY(bench.dlg->isVisible());
        QCOMPARE(page->m_linkVersion->toolTip().remove('\n'), CPageMisc::kWebSiteURL);
        // Tips wrap within their width, after a joint of the link ("/", "@", ".", "-").
        for (const CHyperLink* link : {page->m_linkVersion, page->m_linkContact}) {
            const QStringList lines = link->toolTip().split('\n');
            for (int i = 0; i < lines.size(); ++i)
                QVERIFY(QFontMetrics(QToolTip::font()).horizontalAdvance(lines[i]) <= CHyperLink::kMaxTipWidth
                        && (i + 1 == lines.size() || QStringLiteral("/@.-").contains(lines[i].back())));
        }
        QCOMPARE(page->m_linkVersion->palette().color(QPalette::WindowText) != unvisited, opens);
    }

    // The links read on the window, light or dark: a palette's link colour
    // below 4.5 : 1 is made lighter or darker, its hue kept, just enough.
    void linkContrast()
    {
        Bench bench;
        auto* page = bench.Open<CPageMisc>(kMisc);
        const auto old = CHyperLink::SetOpener([](const QUrl&) { return true; });
        QTest::mouseClick(page->m_linkContact, Qt::LeftButton); // visited
        CHyperLink::SetOpener(old);
        const QColor light(0xEF, 0xEF, 0xEF), dark(0x32, 0x32, 0x32);
        for (const auto& [window, link, kept] : {std::tuple{light, QColor(Qt::magenta), false}, // 2.7 : 1
                                                 {dark, QColor(Qt::blue), false},               // 1.5 : 1
                                                 {dark, QColor(0x8A, 0xB4, 0xF8), true}}) {
            QPalette pal = bench.dlg->palette();
            pal.setColor(QPalette::Window, window);
            pal.setColor(QPalette::Link, link);
            pal.setColor(QPalette::LinkVisited, link);
            bench.dlg->setPalette(pal);
            for (const CHyperLink* l : {page->m_linkVersion, page->m_linkContact}) {
                const QColor shown = l->palette().color(QPalette::WindowText);
                const double contrast = Contrast(shown, window);
                QVERIFY2(contrast >= CHyperLink::kMinContrast
                             && (kept ? shown == link : contrast < 4.7 && qAbs(shown.hslHue() - link.hslHue()) <= 2),
                         qPrintable(QString("%1 at %2 : 1").arg(shown.name()).arg(contrast)));
            }
        }
    }

    // The store left records everything, the switch included; the next save
    // fills the new one. A click on the store in force does nothing; an .ini
    // file that cannot be made leaves the per-user store in force and says
    // which file and why. The per-user choice tells where its file is.
    void storeSwitch_data()
    {
        QTest::addColumn<bool>("toIni");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("problem");
        QTest::newRow("per-user to .ini file") << true << QString() << QString();
        QTest::newRow(".ini file to per-user") << false << QString() << QString();
        QTest::newRow("no folder") << true << "/no such folder"
                                   << "the folder does not exist";
        QTest::newRow("path too long") << true << "/" + QString(1000, 'x')
                                       << "the program's path is too long (999 bytes at most)";
    }
    void storeSwitch()
    {
        QFETCH(bool, toIni);
        QFETCH(QString, folder);
        QFETCH(QString, problem);
        Bench bench;
        theApp.SetModulePath(bench.dir.path() + folder + "/vitrodial");
        toIni ? theApp.UseRegistry() : theApp.UseIniFile();
        theApp.m_bIniFile = !toIni;
        theApp.m_nHourWidth = 7;
        auto* page = bench.Open<CPageMisc>(kMisc);
        const auto stored = [&](bool ini, const char* section, const char* key) {
            IniFileStore iniFile(bench.dir.filePath("vitrodial.ini"));
            RegistryStore registry(QStringLiteral("Tessaline"), QStringLiteral("vitrodial"));
            return (ini ? static_cast<IProfileStore&>(iniFile) : registry).GetProfileInt(section, key, -1);
        };
        auto* perUser = Control<QAbstractButton>(page, "Per-User Settings");
        QCOMPARE(perUser->toolTip(), bench.dir.filePath("xdg/Tessaline/vitrodial.conf"));
        auto* radio = toIni ? Control<QAbstractButton>(page, "INI File") : perUser;
        QTest::mouseClick(radio, Qt::LeftButton);
        QVERIFY(stored(!toIni, "Misc", "IniFile") == toIni && stored(!toIni, "Hour", "Width") == 7);
        if (!problem.isEmpty()) {
            QCOMPARE(bench.messages, QStringList{QString("Error: Unable to setup .INI file\n%1%2/vitrodial.ini: %3")
                                                     .arg(bench.dir.path(), folder, problem)});
            QVERIFY(!theApp.m_bIniFile && perUser->isChecked());
            return;
        }
        QVERIFY(theApp.m_bIniFile == toIni && theApp.m_bModified == 1);
        theApp.SaveSettings();
        QCOMPARE(stored(toIni, "Hour", "Width"), 7);
        bench.Reselect(kMisc);
        QTest::mouseClick(radio, Qt::LeftButton);
        QCOMPARE(theApp.m_bModified, 0);
    }

    // The box shows the entry on every visit; unchecking hides it, lines kept;
    // a folder that cannot be made says where and why and changes nothing.
    void startAtLogin_data()
    {
        QTest::addColumn<QByteArray>("entry"); // none: no file
        QTest::addColumn<bool>("blocked");     // a file where the folder goes
        QTest::newRow("checking") << QByteArray() << false;
        QTest::newRow("unchecking") << QByteArray("[Desktop Entry]\nExec=/bin/true\nHidden=false\n") << false;
        QTest::newRow("hidden entry") << QByteArray("[Desktop Entry]\nExec=/bin/true\nHidden=true\n") << false;
        QTest::newRow("folder is a file") << QByteArray() << true;
    }
    void startAtLogin()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, blocked);
        Bench bench;
        const QString path = Autostart::Path(), folder = bench.dir.filePath("xdg/autostart");
        QCOMPARE(path, folder + "/vitrodial.desktop");
        QFile file(blocked ? folder : path);
        QVERIFY(
            (!blocked && entry.isEmpty())
            || (QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) && file.write(entry) >= 0));
        file.close();
        auto* page = bench.Open<CPageMisc>(kMisc);
        const bool wasOn = entry.contains("false");
        QCOMPARE(page->m_chkAutostart->isChecked(), wasOn);
        QTest::mouseClick(page->m_chkAutostart, Qt::LeftButton);
        bench.Reselect(kMisc);
        QCOMPARE(page->m_chkAutostart->isChecked(), !wasOn && !blocked);
        QCOMPARE(bench.messages, blocked ? QStringList{"Error: Unable to change the start at login\n" + path
                                                       + ": cannot make the folder " + folder + ": File exists"}
                                         : QStringList());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains(blocked ? QByteArray()
                                        : wasOn ? "Hidden=true\nExec=/bin/true\n"
                                                : "Exec=" + QCoreApplication::applicationFilePath().toUtf8()));
        QCOMPARE(Autostart::ExecValue("/a b/100%\""), "\"/a b/100%%\\\\\"\"");
    }
};

QTEST_MAIN(TestConfigDlg)
#include "tst_configdlg.moc"
