#include "machineio/IOFrames.h"
#include "machineio/IORequestPacer.h"

#include <QtTest>

// Pacing of the answered requests on the I/O board link, by the clock values it is given.
class TestIORequestPacer : public QObject
{
    Q_OBJECT

private slots:
    void timeoutFollowsReplies_data();
    void timeoutFollowsReplies();
    void oneRequestInFlight();
    void lateReplyOfAnotherTypeAnswersNothing();
    void boardThatTurnsSlowIsWaitedFor();
};

void TestIORequestPacer::timeoutFollowsReplies_data()
{
    QTest::addColumn<QList<int>>("replyMs");
    QTest::addColumn<int>("timeoutMs");
    QTest::newRow("nothing timed yet: the longest") << QList<int>{} << IORequestPacer::MaxTimeoutMs;
    QTest::newRow("fast board: the shortest") << QList<int>{2} << IORequestPacer::MinTimeoutMs;
    QTest::newRow("30 ms board: three times") << QList<int>{30} << 90;
    QTest::newRow("very slow board: capped") << QList<int>{200} << IORequestPacer::MaxTimeoutMs;
    QTest::newRow("a slower reply counts at once") << QList<int>{10, 10, 40} << 120;
    QTest::newRow("a faster one only an eighth of the way") << QList<int>{40, 8} << 108;
}

void TestIORequestPacer::timeoutFollowsReplies()
{
    QFETCH(QList<int>, replyMs);
    QFETCH(int, timeoutMs);
    IORequestPacer pacer;
    qint64 now = 1000;
    for (int took : replyMs) {
        pacer.sent(now, IOFrame::Poll);
        now += took;
        pacer.received(now, IOFrame::Status);
        now += 5;
    }
    QCOMPARE(pacer.timeoutMs(), timeoutMs);
}

// A request waits for its reply; one whose reply does not come is taken as lost after the
// time-out, counted from the last byte on the line.
void TestIORequestPacer::oneRequestInFlight()
{
    IORequestPacer pacer;
    QVERIFY(pacer.maySend(0));
    pacer.sent(0, IOFrame::Poll);
    pacer.received(20, IOFrame::Status);
    QVERIFY(pacer.maySend(25));

    pacer.sent(25, IOFrame::Poll);
    QVERIFY(!pacer.maySend(30));
    QVERIFY(!pacer.maySend(25 + pacer.timeoutMs()));
    QVERIFY(pacer.maySend(26 + pacer.timeoutMs()));

    // A port opened anew has nothing in flight.
    pacer.sent(200, IOFrame::Poll);
    pacer.reset();
    QVERIFY(pacer.maySend(201));
}

// An information reply arriving while a poll waits is the late answer to an earlier request:
// the poll still waits, and the line was not quiet meanwhile.
void TestIORequestPacer::lateReplyOfAnotherTypeAnswersNothing()
{
    IORequestPacer pacer;
    pacer.sent(0, IOFrame::Poll);
    pacer.received(10, IOFrame::Status);
    const int timeout = pacer.timeoutMs();
    pacer.sent(100, IOFrame::Poll);
    pacer.received(140, IOFrame::InfoLow);
    QVERIFY(pacer.waiting());
    QVERIFY(!pacer.maySend(100 + timeout + 1));
    QVERIFY(pacer.maySend(140 + timeout + 1));
    pacer.received(150, IOFrame::Status);
    QVERIFY(!pacer.waiting());
}

// A fast board that turns slow times a request out once; its late reply teaches the pacer to
// wait long enough from then on.
void TestIORequestPacer::boardThatTurnsSlowIsWaitedFor()
{
    IORequestPacer pacer;
    pacer.sent(0, IOFrame::Poll);
    pacer.received(5, IOFrame::Status);
    QCOMPARE(pacer.timeoutMs(), IORequestPacer::MinTimeoutMs);
    pacer.sent(10, IOFrame::Poll);
    QVERIFY(pacer.maySend(61));
    pacer.sent(61, IOFrame::Poll);
    pacer.received(70, IOFrame::Status);
    QVERIFY(pacer.timeoutMs() > 2 * 60);
    // A reply lost on a fast board costs no more than that one time-out's worth of learning.
    IORequestPacer lost;
    lost.sent(0, IOFrame::Poll);
    lost.received(5, IOFrame::Status);
    lost.sent(10, IOFrame::Poll);
    lost.sent(61, IOFrame::Poll);
    lost.received(66, IOFrame::Status);
    QVERIFY(!lost.waiting());
    QVERIFY(lost.maySend(67));
}

QTEST_GUILESS_MAIN(TestIORequestPacer)
#include "tst_iorequestpacer.moc"
