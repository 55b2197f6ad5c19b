// The clock window's timer: ticks placed just after each half second of the
// wall clock, and a timer that only its own identifier stops.

#include <QtTest>

#include "window/SecondTicker.h"

namespace {
constexpr long long kSecond = 1733500000000LL;  // a whole second
}

class TestSecondTicker : public QObject {
    Q_OBJECT
private slots:
    void nextSlotIsJustAfterTheHalfSecond_data();
    void nextSlotIsJustAfterTheHalfSecond();
    void onlyItsOwnIdentifierStopsIt();
};

void TestSecondTicker::nextSlotIsJustAfterTheHalfSecond_data()
{
    QTest::addColumn<int>("msIntoSecond");
    QTest::addColumn<int>("delay");

    const int offset = SecondTicker::kOffsetMs;
    QTest::newRow("on the second") << 0 << offset;
    QTest::newRow("on a slot") << offset << 0;
    QTest::newRow("just past a slot") << offset + 1 << 499;
    QTest::newRow("before the half second") << 499 << offset + 1;
    QTest::newRow("after the half second's slot") << 500 + offset + 100 << 400;
    QTest::newRow("end of the second") << 999 << offset + 1;
}

void TestSecondTicker::nextSlotIsJustAfterTheHalfSecond()
{
    QFETCH(int, msIntoSecond);
    QFETCH(int, delay);
    QCOMPARE(SecondTicker::DelayToNextSlot(kSecond + msIntoSecond), delay);
    // Where the tick lands is a slot: just after a whole or half second.
    QCOMPARE(SecondTicker::Lateness(kSecond + msIntoSecond + delay), 0);
}

void TestSecondTicker::onlyItsOwnIdentifierStopsIt()
{
    SecondTicker ticker;
    QCOMPARE(ticker.Start(0), 0u);
    QVERIFY(!ticker.IsActive());
    QCOMPARE(ticker.Start(1), 1u);
    QVERIFY(!ticker.Stop(2));
    QVERIFY(ticker.Stop(1));
    QVERIFY(!ticker.Stop(1));
}

QTEST_GUILESS_MAIN(TestSecondTicker)
#include "tst_secondticker.moc"
