// The clock window's timer: ticks placed just after each half second of the
// wall clock.

#include <QtTest>

#include "window/SecondTicker.h"

class TestSecondTicker : public QObject {
    Q_OBJECT
private slots:
    void nextSlotIsJustAfterTheHalfSecond()
    {
        const int offset = SecondTicker::kOffsetMs;
        const long long second = 1733500000000LL;
        // On the second, just past a slot, after the half second's slot, at the end of the second.
        for (const auto& [msIntoSecond, delay] : {std::pair(0, offset), std::pair(offset + 1, 499),
                                                  std::pair(500 + offset + 100, 400), std::pair(999, offset + 1)}) {
            QCOMPARE(SecondTicker::DelayToNextSlot(second + msIntoSecond), delay);
            QCOMPARE(SecondTicker::Lateness(second + msIntoSecond + delay), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestSecondTicker)
#include "tst_secondticker.moc"
