#include "machineio/IOFrames.h"
#include "machineio/IOReplyParser.h"
#include "machineio/SerialPortName.h"
#include "tests/support/TempWorkDir.h"
#include "tools/boardsim/BoardSimulator.h"

#include <QtTest>

class TestIOFrames : public QObject
{
    Q_OBJECT

private slots:
    void requestFrame_data();
    void requestFrame();
    void replyFields();
    void parser_data();
    void parser();
    void portName_data();
    void portName();
    void portNameFollowsWorkingFolderLink();
};

static QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

static QByteArray frameBytes(const IOReplyFrame &frame)
{
    return boardReply(frame.type, frame.data[0], frame.data[1], frame.data[2], frame.data[3]);
}

void TestIOFrames::requestFrame_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<qint32>("value");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("poll") << 2 << 0 << hex("5F02000061F5");
    QTest::newRow("information low") << 3 << 0 << hex("5F03000062F5");
    QTest::newRow("information high") << 4 << 0 << hex("5F04000063F5");
    // The wanted word keeps ones above bit 9, so byte 3 carries 0xFC.
    QTest::newRow("outputs, alarm on") << 1 << qint32(0xFFFFFC04) << hex("5F0104FC60F5");
    QTest::newRow("outputs, all idle high") << 1 << qint32(-1) << hex("5F01FFFF5EF5");
    QTest::newRow("checksum wraps") << 1 << qint32(0xFFFFFEA1) << hex("5F01A1FEFFF5");
}

void TestIOFrames::requestFrame()
{
    QFETCH(int, command);
    QFETCH(qint32, value);
    QFETCH(QByteArray, frame);

    const IORequestFrame built = makeRequestFrame(command, value);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(built.data()), int(built.size())), frame);
}

void TestIOFrames::replyFields()
{
    IOReplyFrame status;
    status.data = {0x05, 0xFE, 0x21, 0x03};
    // Only the two low bits of d1 and d3 count.
    QCOMPARE(status.inputWord(), 0x205);
    QCOMPARE(status.outputsInForce(), 0x321);

    IOReplyFrame info;
    info.data = {0x78, 0x56, 0x34, 0x92};
    QCOMPARE(info.infoValue(), qint32(0x92345678));
}

void TestIOFrames::parser_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("chunk");
    QTest::addColumn<QByteArrayList>("frames");

    const QByteArray status = boardStatus(0x205, 0x001);
    const QByteArray info = boardReply(3, 1, 2, 3, 4);

    for (int chunk : {1, 3, 5, 7, 8})
        QTest::addRow("one frame in chunks of %d", chunk) << status << chunk << QByteArrayList{status};
    QTest::newRow("two frames split across reads") << status + info << 5 << QByteArrayList{status, info};
    QTest::newRow("garbage before a frame") << hex("00F55F1302") + status << 4 << QByteArrayList{status};
    QTest::newRow("false start right before a frame") << hex("5F") + status << 3 << QByteArrayList{status};

    QByteArray badChecksum = status;
    badChecksum[6] = char(badChecksum[6] + 1);
    QTest::newRow("bad checksum, then a good frame") << badChecksum + info << 6 << QByteArrayList{info};
    QByteArray badEnd = status;
    badEnd[7] = 0x00;
    QTest::newRow("bad end byte, then a good frame") << badEnd + info << 8 << QByteArrayList{info};

    // Start bytes every 7 bytes, never followed by an end byte 7 places on: no frame in it.
    QByteArray garbage;
    while (garbage.size() < 5000)
        garbage += hex("5F020100F5F500");
    QTest::newRow("thousands of garbage bytes") << garbage + status << 700 << QByteArrayList{status};

    // More than the buffer holds in one go: the reader offers it all, the parser takes what
    // fits and nothing is lost.
    QByteArray flood;
    QByteArrayList floodFrames;
    for (int i = 0; i < 400; ++i) {
        floodFrames << boardReply(4, quint8(i), quint8(i >> 8), 0, 0);
        flood += floodFrames.last();
    }
    QTest::newRow("flood of information replies") << flood << 3000 << floodFrames;
}

void TestIOFrames::parser()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, chunk);
    QFETCH(QByteArrayList, frames);

    IOReplyParser parser;
    QByteArrayList parsed;
    int position = 0;
    while (position < stream.size()) {
        const int offered = qMin(chunk, stream.size() - position);
        const int taken = parser.append(stream.constData() + position, offered);
        QVERIFY(taken > 0);
        QVERIFY(taken <= offered);
        position += taken;
        IOReplyFrame frame;
        while (parser.next(&frame))
            parsed << frameBytes(frame);
        QVERIFY(parser.size() < IOFrame::ReplySize);
    }
    QCOMPARE(parsed, frames);
}

void TestIOFrames::portName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("device");

    QTest::newRow("COM1") << comPortName(0) << "/dev/ttyS0";
    QTest::newRow("COM12") << comPortName(11) << "/dev/ttyS11";
    QTest::newRow("pseudo-terminal path") << "/dev/pts/7" << "/dev/pts/7";
    QTest::newRow("COM0 is no Windows port") << "COM0" << "COM0";
    QTest::newRow("COM with trailing text") << "COM1x" << "COM1x";
}

void TestIOFrames::portName()
{
    QFETCH(QString, name);
    QFETCH(QString, device);
    QCOMPARE(serialDeviceName(name), device);
}

// A simulator linked into the working folder as "COM2" stands in for /dev/ttyS1; a link whose
// pseudo-terminal has gone, a plain file or a folder of that name does not.
void TestIOFrames::portNameFollowsWorkingFolderLink()
{
    TempWorkDir work;
    QVERIFY(work.isValid());
    QString device;
    {
        BoardSimulator board;
        QVERIFY(board.isValid());
        QVERIFY(board.linkAs(QStringLiteral("COM2")));
        device = QFileInfo(board.slaveName()).canonicalFilePath();
        QCOMPARE(serialDeviceName(QStringLiteral("COM2")), device);
        QCOMPARE(serialDeviceName(QStringLiteral("COM3")), QStringLiteral("/dev/ttyS2"));
        // A plain file in the way is not replaced.
        BoardSimulator second;
        QFile blocker(QStringLiteral("COM3"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!second.linkAs(QStringLiteral("COM3")));
        QCOMPARE(serialDeviceName(QStringLiteral("COM3")), QStringLiteral("/dev/ttyS2"));
    }
    // The simulator took its link away when it ended.
    QVERIFY(!QFileInfo(QStringLiteral("COM2")).isSymLink());
    QVERIFY(QFile::link(QStringLiteral("/dev/no-such-pty"), QStringLiteral("COM4")));
    QCOMPARE(serialDeviceName(QStringLiteral("COM4")), QStringLiteral("/dev/ttyS3"));
    QVERIFY(QDir().mkdir(QStringLiteral("COM5")));
    QCOMPARE(serialDeviceName(QStringLiteral("COM5")), QStringLiteral("/dev/ttyS4"));
}

QTEST_APPLESS_MAIN(TestIOFrames)
#include "tst_ioframes.moc"
