#include "cameras/FrameHandoff.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

bool uniform(const std::vector<uchar> &frame, uchar value)
{
    return std::all_of(frame.cbegin(), frame.cend(), [value](uchar b) { return b == value; });
}

} // namespace

class FrameHandoffTest : public QObject
{
    Q_OBJECT

private slots:
    void newFrameIsReportedOnce();
    void copyIsBoundedByBothSizes_data();
    void copyIsBoundedByBothSizes();
    void readerNeverSeesTornOrStaleFrames();
};

void FrameHandoffTest::newFrameIsReportedOnce()
{
    FrameHandoff frames;
    frames.allocate(16);
    std::vector<uchar> destination(16, 0xEE);

    // Nothing delivered yet: the caller's buffer stays as it was.
    QVERIFY(!frames.takeNewFrame(destination.data(), 16));
    QVERIFY(uniform(destination, 0xEE));

    const std::vector<uchar> frame(16, 7);
    frames.publish(frame.data(), 16);
    QVERIFY(frames.takeNewFrame(destination.data(), 16));
    QVERIFY(uniform(destination, 7));
    std::fill(destination.begin(), destination.end(), 0xEE);
    QVERIFY(!frames.takeNewFrame(destination.data(), 16));
    QVERIFY(uniform(destination, 0xEE));

    // copyFrame always copies, and reports (and clears) the flag like takeNewFrame.
    QVERIFY(!frames.copyFrame(destination.data(), 16));
    QVERIFY(uniform(destination, 7));
    frames.publishWith([](uchar *buffer, int length) { std::fill(buffer, buffer + length, 9); });
    QVERIFY(frames.copyFrame(destination.data(), 16));
    QVERIFY(!frames.takeNewFrame(destination.data(), 16));
    QVERIFY(uniform(destination, 9));

    // A stored frame replaced in place is not a new frame and not counted.
    int counted = -1;
    QVERIFY(frames.frameCountDelta(&counted));
    QCOMPARE(counted, 2);
    frames.replaceWith([](uchar *buffer, int length) { std::fill(buffer, buffer + length, 3); });
    QVERIFY(!frames.takeNewFrame(destination.data(), 16));
    QVERIFY(!frames.frameCountDelta(&counted));
    QCOMPARE(counted, 0);

    // A new allocation (a reopened device) starts zeroed with nothing pending.
    frames.publish(frame.data(), 16);
    frames.allocate(8);
    QVERIFY(!frames.takeNewFrame(destination.data(), 16));
    QVERIFY(!frames.copyFrame(destination.data(), 16));
    QVERIFY(std::all_of(destination.cbegin(), destination.cbegin() + 8, [](uchar b) { return b == 0; }));
    QVERIFY(std::all_of(destination.cbegin() + 8, destination.cend(), [](uchar b) { return b == 9; }));
}

void FrameHandoffTest::copyIsBoundedByBothSizes_data()
{
    QTest::addColumn<int>("frameLength");
    QTest::addColumn<int>("deliveredLength");
    QTest::addColumn<int>("destinationSize");
    QTest::addColumn<int>("expectedFrameBytes");

    QTest::newRow("equal sizes") << 100 << 100 << 100 << 100;
    // A device that came back with a larger frame must not overrun the caller's buffer.
    QTest::newRow("destination smaller") << 100 << 100 << 60 << 60;
    QTest::newRow("destination larger") << 100 << 100 << 160 << 100;
    QTest::newRow("delivery longer than frame") << 100 << 400 << 100 << 100;
    QTest::newRow("delivery shorter than frame") << 100 << 30 << 100 << 30;
}

void FrameHandoffTest::copyIsBoundedByBothSizes()
{
    QFETCH(int, frameLength);
    QFETCH(int, deliveredLength);
    QFETCH(int, destinationSize);
    QFETCH(int, expectedFrameBytes);

    FrameHandoff frames;
    frames.allocate(frameLength);
    const std::vector<uchar> delivered(size_t(deliveredLength), 0x5A);
    frames.publish(delivered.data(), deliveredLength);

    // Guard bytes behind the size the caller declared show any copy beyond it.
    std::vector<uchar> destination(size_t(destinationSize) + 32, 0xEE);
    QVERIFY(frames.takeNewFrame(destination.data(), destinationSize));
    for (int i = 0; i < int(destination.size()); ++i) {
        const uchar expected = i < expectedFrameBytes ? 0x5A
                             : i < qMin(destinationSize, frameLength) ? 0 : 0xEE;
        QVERIFY2(destination[size_t(i)] == expected, qPrintable(QStringLiteral("byte %1").arg(i)));
    }
}

void FrameHandoffTest::readerNeverSeesTornOrStaleFrames()
{
    constexpr int FrameLength = 64 * 48;
    constexpr int Frames = 20000;
    FrameHandoff frames;
    frames.allocate(FrameLength);
    QVERIFY(!frames.frameCountDelta(nullptr));

    std::atomic<bool> reading{false};
    std::atomic<bool> writing{true};
    std::thread writer([&frames, &reading, &writing] {
        while (!reading)
            std::this_thread::yield();
        // Like an SDK: the frame is ready in its own buffer before the callback hands it over.
        std::vector<uchar> frame(FrameLength);
        for (int i = 0; i < Frames; ++i) {
            std::fill(frame.begin(), frame.end(), uchar(i % 255 + 1));
            frames.publish(frame.data(), FrameLength);
            std::this_thread::yield();
        }
        writing = false;
    });

    std::vector<uchar> destination(FrameLength, 0);
    uchar lastValue = 0;
    bool allUniform = true;
    bool staleCopy = false;
    reading = true;
    while (writing && allUniform && !staleCopy) {
        if (frames.takeNewFrame(destination.data(), FrameLength)) {
            lastValue = destination.front();
            allUniform = uniform(destination, lastValue);
        } else {
            // A pull that reports no new frame must not have copied one either.
            staleCopy = !uniform(destination, lastValue);
        }
    }
    writer.join();
    QVERIFY2(allUniform, "a frame was copied while it was being written");
    QVERIFY2(!staleCopy, "a frame was copied but reported as old");

    // The last frame is never lost: either it is pulled now, or it was pulled already.
    frames.takeNewFrame(destination.data(), FrameLength);
    QVERIFY(uniform(destination, uchar((Frames - 1) % 255 + 1)));

    int delivered = 0;
    QVERIFY(frames.frameCountDelta(&delivered));
    QCOMPARE(delivered, Frames);
    QCOMPARE(frames.lastFrameCountDelta(), Frames);
    QVERIFY(!frames.frameCountDelta(&delivered));
    QCOMPARE(delivered, 0);
}

QTEST_GUILESS_MAIN(FrameHandoffTest)
#include "tst_FrameHandoff.moc"
