// The message-window slots: which slot a new message gets, freeing, the free count and
// what the tray and menus are told, and closing everything at once.
#include "messenger/send/popupslots.h"

#include <QSignalSpy>
#include <QtTest>

class TestPopupSlots : public QObject
{
    Q_OBJECT

private:
    QDateTime now_{QDate(2024, 3, 7), QTime(14, 5, 9)};
    PopupSlots::Clock clock()
    {
        return [this] { return now_; };
    }

    // The two lists must always agree, and `popups` keeps ten entries.
    static void checkConsistent(const PopupSlots &slots)
    {
        QCOMPARE(slots.popups().size(), 10);
        QCOMPARE(slots.wins().size(), 10);
        const int freeInPopups = int(slots.popups().count(QStringLiteral("-")));
        const int freeInWins = 10 - int(slots.wins().count(QStringLiteral("-")));
        QCOMPARE(freeInPopups, freeInWins);
        QCOMPARE(slots.pucount(), QString::number(freeInPopups));
    }

private Q_SLOTS:
    void initialState()
    {
        PopupSlots slots(clock());
        QCOMPARE(slots.popups(), QStringList(10, QStringLiteral("-")));
        QCOMPARE(slots.wins(), (QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
        QCOMPARE(slots.pucount(), QStringLiteral("10"));
        for (int i = 0; i <= PopupSlots::RecallWindow; ++i)
            QCOMPARE(slots.state(i).punumber, i);
    }

    void lowestFreeSlotFirstWithRecord()
    {
        PopupSlots slots(clock());
        QCOMPARE(slots.choose(), 0);
        now_ = now_.addSecs(61);
        QCOMPARE(slots.choose(), 1);
        QCOMPARE(slots.popups().at(8), QStringLiteral("240307140509popup0"));
        QCOMPARE(slots.popups().at(9), QStringLiteral("240307140610popup1"));
        QCOMPARE(slots.wins().mid(0, 3), (QStringList{"-", "-", "2"}));
        QCOMPARE(slots.pucount(), QStringLiteral("8"));
        checkConsistent(slots);
    }

    void freedMiddleSlotIsReused()
    {
        PopupSlots slots(clock());
        slots.choose();
        slots.choose();
        slots.choose();
        slots.free(1);
        QVERIFY(!slots.isBusy(1));
        QCOMPARE(slots.pucount(), QStringLiteral("8"));
        checkConsistent(slots);
        QCOMPARE(slots.choose(), 1);
        QCOMPARE(slots.choose(), 3);
        checkConsistent(slots);
    }

    void allBusyReusesOldestWindow()
    {
        PopupSlots slots(clock());
        for (int i = 0; i < 10; ++i)
            QCOMPARE(slots.choose(), i);
        QCOMPARE(slots.pucount(), QStringLiteral("0"));
        // Window 3 was closed and re-filled, so it is now the newest; 0 stays the oldest.
        slots.free(3);
        QCOMPARE(slots.choose(), 3);
        QCOMPARE(slots.choose(), 0);
        QCOMPARE(slots.choose(), 1);
        QCOMPARE(slots.popups().first().right(1), QStringLiteral("2"));
        QCOMPARE(slots.popups().last().right(1), QStringLiteral("1"));
        checkConsistent(slots);
        // Freeing a reused window works as usual.
        slots.free(0);
        QCOMPARE(slots.pucount(), QStringLiteral("1"));
        QCOMPARE(slots.choose(), 0);
        checkConsistent(slots);
    }

    void closingLastWindowGivesTenAndIdle()
    {
        PopupSlots slots(clock());
        slots.choose();
        QSignalSpy count(&slots, &PopupSlots::pucountChanged);
        QSignalSpy closeAll(&slots, &PopupSlots::closeAllEnabledChanged);
        slots.free(0);
        QCOMPARE(slots.pucount(), QStringLiteral("10"));
        QCOMPARE(count.last().at(0).toInt(), 10);
        QCOMPARE(closeAll.last().at(0).toBool(), false);

        slots.choose();
        QCOMPARE(count.last().at(0).toInt(), 9);
        QCOMPARE(closeAll.last().at(0).toBool(), true);
    }

    void doubleFreeIsIgnored()
    {
        PopupSlots slots(clock());
        slots.choose();
        slots.choose();
        slots.free(0);
        const QStringList popups = slots.popups();
        slots.free(0);
        slots.free(5);  // never used
        slots.free(-1); // not a slot
        slots.free(10);
        QCOMPARE(slots.popups(), popups);
        QCOMPARE(slots.pucount(), QStringLiteral("9"));
        checkConsistent(slots);
        QVERIFY(slots.isBusy(1));
    }

    void dismissAllResetsAndEmptiesWindows_data()
    {
        QTest::addColumn<int>("open");
        QTest::newRow("nothing open") << 0;
        QTest::newRow("some open") << 3;
        QTest::newRow("all open and reused") << 12;
    }

    void dismissAllResetsAndEmptiesWindows()
    {
        QFETCH(int, open);
        PopupSlots slots(clock());
        for (int i = 0; i < open; ++i)
            slots.choose();
        for (int i = 0; i <= PopupSlots::RecallWindow; ++i) {
            PopupState &window = slots.state(i);
            window.message = QStringLiteral("Anna> hi");
            window.response = QStringLiteral("[PC1\\ANNA]");
            window.broadcast = QStringLiteral("To All");
            window.caption = QStringLiteral("From Anna");
        }
        QSignalSpy dismissed(&slots, &PopupSlots::allDismissed);
        QSignalSpy count(&slots, &PopupSlots::pucountChanged);
        QSignalSpy closeAll(&slots, &PopupSlots::closeAllEnabledChanged);

        slots.dismissAll();

        QCOMPARE(dismissed.size(), 1);
        QCOMPARE(slots.popups(), QStringList(10, QStringLiteral("-")));
        QCOMPARE(slots.wins(), (QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
        QCOMPARE(slots.pucount(), QStringLiteral("10"));
        QCOMPARE(count.last().at(0).toInt(), 10);
        QCOMPARE(closeAll.last().at(0).toBool(), false);
        for (int i = 0; i < 10; ++i) {
            QVERIFY(slots.state(i).message.isEmpty());
            QVERIFY(slots.state(i).response.isEmpty());
            QVERIFY(slots.state(i).broadcast.isEmpty());
            QCOMPARE(slots.state(i).caption, QStringLiteral("From Anna"));
        }
        // The recall window is hidden but keeps its text.
        QCOMPARE(slots.state(PopupSlots::RecallWindow).message, QStringLiteral("Anna> hi"));
        QCOMPARE(slots.choose(), 0);
    }
};

QTEST_APPLESS_MAIN(TestPopupSlots)
#include "test_popupslots.moc"
