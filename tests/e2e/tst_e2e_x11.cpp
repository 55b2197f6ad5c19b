// The X11 layer in this process, on the X server of a bare virtual desktop:
// what the stacking keepers leave of this client's events on the root, and
// that a failing request is told by name, once; where the stacking rule puts
// the clock among its siblings.

#include <cstdlib>
#include <memory>
#include <vector>

#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>

#include <xcb/xcb.h>

#include "DesktopHarness.h"
#include "platform/X11.h"

namespace {

xcb_connection_t* Connection() { return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection(); }

xcb_window_t Root() { return xcb_setup_roots_iterator(xcb_get_setup(Connection())).data->root; }

// What this client (Qt's connection, which the platform layer uses too)
// selects on the root.
uint32_t RootEvents()
{
    xcb_connection_t* c = Connection();
    xcb_get_window_attributes_reply_t* a =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, Root()), nullptr);
    const uint32_t mask = a ? a->your_event_mask : 0;
    std::free(a);
    return mask;
}

void SelectRootEvents(uint32_t mask)
{
    xcb_change_window_attributes(Connection(), Root(), XCB_CW_EVENT_MASK, &mask);
    platform::x11::Sync();
}

} // namespace

class TestE2eX11 : public QObject {
    Q_OBJECT

    uint32_t m_nQtEvents = 0;

private slots:
    void initTestCase() { m_nQtEvents = RootEvents(); }

    void cleanup() { SelectRootEvents(m_nQtEvents); }

    void chooseRestacking_data()
    {
        // Siblings bottom first, by letter: c the clock, m managed, o its own
        // dialog, d the desktop, u unmanaged (a locker, a menu); where it goes.
        QTest::addColumn<QString>("siblings");
        QTest::addColumn<bool>("topMost");
        QTest::addColumn<QString>("goes"); // "" stays, ">x" above x, "<x" below x (x: index)
        QTest::newRow("top-most, in place under a locker") << "dmcu" << true << "";
        QTest::newRow("top-most, a window raised") << "dcmu" << true << ">2";
        QTest::newRow("top-most, a window mapped over a locker") << "dcum" << true << "";
        QTest::newRow("top-most, under its own dialog") << "mco" << true << "";
        QTest::newRow("top-most, over its own dialog") << "moc" << true << ">0";
        QTest::newRow("top-most, only its own dialog") << "oc" << true << "<0";
        QTest::newRow("top-most, nothing managed") << "uc" << true << "";
        QTest::newRow("not top-most, over a window") << "dmcm" << false << "<1";
        QTest::newRow("not top-most, in place") << "dcmum" << false << "";
        QTest::newRow("not top-most, under the desktop") << "cdm" << false << "<2";
        QTest::newRow("not top-most, only the desktop") << "cd" << false << ">1";
    }

    void chooseRestacking()
    {
        QFETCH(QString, siblings);
        QFETCH(bool, topMost);
        QFETCH(QString, goes);
        std::vector<platform::x11::Sibling> list;
        for (const QChar k : siblings)
            list.push_back({list.size() + 1, k != u'c' && k != u'u', k == u'o', k == u'd', k == u'u'});
        const platform::x11::Restacking r =
            platform::x11::ChooseRestacking(list, unsigned(siblings.indexOf(u'c')) + 1, topMost);
        const QString seen = r.sibling ? (r.above ? ">" : "<") + QString::number(r.sibling - 1) : QString();
        QCOMPARE(seen, goes);
    }

    void aboveKeeperGivesBackRootEvents_data()
    {
        QTest::addColumn<uint>("before");    // selected on the root before the first keeper
        QTest::addColumn<uint>("meanwhile"); // selected by others while keepers live
        QTest::addColumn<int>("keepers");
        QTest::newRow("Qt's own selection") << 0u << 0u << 1;
        QTest::newRow("substructure selected before") << uint(XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY) << 0u << 1;
        QTest::newRow("selected while it lived") << 0u << uint(XCB_EVENT_MASK_COLOR_MAP_CHANGE) << 1;
        QTest::newRow("two keepers") << 0u << 0u << 2;
    }

    void aboveKeeperGivesBackRootEvents()
    {
        QFETCH(uint, before);
        QFETCH(uint, meanwhile);
        QFETCH(int, keepers);
        SelectRootEvents(m_nQtEvents | before);
        const uint32_t original = RootEvents();

        QWindow window;
        window.create();
        std::vector<std::unique_ptr<platform::x11::AboveKeeper>> live;
        for (int i = 0; i < keepers; ++i)
            live.push_back(std::make_unique<platform::x11::AboveKeeper>(window.winId()));
        QVERIFY(RootEvents() & XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
        SelectRootEvents(RootEvents() | meanwhile);
        // Each keeper but the last still needs the events.
        while (live.size() > 1) {
            live.erase(live.begin());
            QVERIFY(RootEvents() & XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
        }
        live.clear();
        QCOMPARE(RootEvents(), original | meanwhile);
    }

    void failingRequestToldOnce()
    {
        // An id of this client's that names no window.
        const uint32_t none = xcb_generate_id(Connection());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^X11 request ShapeRectangles failed with error 3 \\(resource 0x"));
        QTest::failOnWarning(QRegularExpression("ShapeRectangles"));
        for (int i = 0; i < 2; ++i) {
            platform::x11::SetShape(none, QRegion(0, 0, 10, 10));
            platform::x11::Sync();
        }
    }
};

int main(int argc, char** argv)
{
    // The application connects to the desktop's display: the desktop starts
    // before it and stops after it (Qt keeps a broken connection open).
    e2e::VirtualDesktop desktop;
    {
        QCoreApplication starter(argc, argv);
        if (!desktop.Start({"none", "none", "none", ""})) {
            qCritical("%s", qPrintable(desktop.ErrorString()));
            return 1;
        }
    }
    const QProcessEnvironment env = desktop.Environment();
    for (const char* name : {"DISPLAY", "XDG_RUNTIME_DIR"})
        qputenv(name, env.value(QString::fromLatin1(name)).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int failed = 0;
    {
        QGuiApplication app(argc, argv);
        TestE2eX11 test;
        failed = QTest::qExec(&test, argc, argv);
    }
    QCoreApplication stopper(argc, argv);
    desktop.Stop();
    return failed;
}

#include "tst_e2e_x11.moc"
