// The clock window's timer: ticks placed just after each half second of the
// wall clock.

#include <QtTest>

#include "window/SecondTicker.h"

class TestSecondTicker : public QObject {
    Q_OBJECT
private slots:
    void nextSlotIsJustAfterTheHalfSecond_data()
    {
        QTest::addColumn<int>("msIntoSecond");
        QTest::addColumn<int>("delay");
        const int offset = SecondTicker::kOffsetMs;
        QTest::newRow("on the second") << 0 << offset;
        QTest::newRow("just past a slot") << offset + 1 << 499;
        QTest::newRow("after the half second's slot") << 500 + offset + 100 << 400;
        QTest::newRow("end of the second") << 999 << offset + 1;
    }
    void nextSlotIsJustAfterTheHalfSecond()
    {
        QFETCH(int, msIntoSecond);
        QFETCH(int, delay);
        const long long second = 1733500000000LL;
        QCOMPARE(SecondTicker::DelayToNextSlot(second + msIntoSecond), delay);
        QCOMPARE(SecondTicker::Lateness(second + msIntoSecond + delay), 0);
    }
};

QTEST_GUILESS_MAIN(TestSecondTicker)
#include "tst_secondticker.moc"
