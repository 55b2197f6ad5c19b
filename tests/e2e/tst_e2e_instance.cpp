// One clock per application name: a second start closes the running clock and
// ends itself; a copy under another name is another application.

#include <QTest>

#include "DesktopHarness.h"

using namespace e2e;

class TestE2eInstance : public QObject {
    Q_OBJECT

    VirtualDesktop m_desktop;
    std::unique_ptr<ClockProcess> m_pClock;
    std::unique_ptr<ClockProcess> m_pOther;

    static bool Ended(QProcess* p) { return p->state() == QProcess::NotRunning || p->waitForFinished(0); }

private slots:
    void initTestCase() { QVERIFY2(m_desktop.Start({}), qPrintable(m_desktop.ErrorString())); }

    void cleanup()
    {
        if (QTest::currentTestFailed()) {
            for (auto* clock : {m_pClock.get(), m_pOther.get()})
                if (clock)
                    qWarning().noquote() << clock->Output();
        }
        m_pClock.reset();
        m_pOther.reset();
    }

    void cleanupTestCase() { m_desktop.Stop(); }

    void secondStartClosesBoth()
    {
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(IniFixture().Text()));
        const QByteArray saved = m_pClock->IniContents();
        QVERIFY(m_pClock->Start());
        QVERIFY(m_pClock->WaitForClockWindow());

        QProcess* second = m_pClock->StartAgain();
        QVERIFY2(WaitFor([&] { return Ended(second); }, 10000), "the second start did not end");
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QVERIFY2(m_pClock->WaitForExit(10000), "the running clock did not end");
        QCOMPARE(m_pClock->ExitStatus(), QProcess::NormalExit);
        QVERIFY(m_desktop.FindWindows("^vitrodial$", false).isEmpty());
        // ended without saving
        QCOMPARE(m_pClock->IniContents(), saved);
    }

    void racingStartsLeaveNoClock()
    {
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(IniFixture().Text()));
        QVERIFY(m_pClock->Start());
        QProcess* second = m_pClock->StartAgain();
        QVERIFY2(WaitFor([&] { return Ended(second) && !m_pClock->IsRunning(); }, 15000),
                 "two clocks started together did not both end");
        QVERIFY(m_desktop.FindWindows("^vitrodial$", false).isEmpty());
    }

    void copyUnderAnotherNameRunsBeside()
    {
        IniFixture left;
        left.Set("Geometry", "Left", 20).Set("Geometry", "Top", 20).Set("Geometry", "Size", 300);
        m_pClock = std::make_unique<ClockProcess>(m_desktop);
        QVERIFY(m_pClock->Prepare(left.Text()));
        QVERIFY(m_pClock->Start());
        QVERIFY(m_pClock->WaitForClockWindow());

        IniFixture right;
        right.Set("Geometry", "Left", 700).Set("Geometry", "Top", 20).Set("Geometry", "Size", 300);
        m_pOther = std::make_unique<ClockProcess>(m_desktop, QStringLiteral("otherclock"));
        QVERIFY(m_pOther->Prepare(right.Text()));
        QVERIFY(m_pOther->Start());
        // once the copy shows its clock, it is past its single-instance check
        QVERIFY(m_pOther->WaitForClockWindow());
        QCOMPARE(m_desktop.Info(m_pOther->FindClockWindow()).rect, QRect(700, 20, 300, 300));
        QVERIFY(m_pClock->IsRunning());
        QVERIFY(m_pClock->FindClockWindow() != 0);
        QVERIFY(m_pOther->IsRunning());
    }
};

QTEST_GUILESS_MAIN(TestE2eInstance)
#include "tst_e2e_instance.moc"
