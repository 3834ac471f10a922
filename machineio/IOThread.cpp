#include "machineio/IOThread.h"

#include "core/Globals.h"
#include "machineio/IOGlobals.h"
#include "machineio/IOReplyParser.h"
#include "machineio/SerialPortName.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QSerialPort>

namespace {

constexpr int ClosedPortPauseMs = 30;
constexpr int SilentGuiPauseMs = 1000;
constexpr int WriteWaitMs = 10;
constexpr int InfoLowPass = 200;
constexpr int InfoHighPass = 210;
constexpr int InfoHighFirstIndex = 8;

qint64 monotonicMs()
{
    QElapsedTimer timer;
    timer.start();
    return timer.msecsSinceReference();
}

} // namespace

IOThread::IOThread(const QString &portName, QObject *parent)
    : QThread(parent), portName(portName)
{
}

IOThread::~IOThread()
{
    requestStop();
    wait();
}

void IOThread::requestStop()
{
    QMutexLocker locker(&stopMutex);
    stopFlag = true;
    stopCondition.wakeAll();
}

qint32 IOThread::heartbeatNow()
{
    return qint32(QDateTime::currentSecsSinceEpoch() % 1000000000);
}

bool IOThread::boardAnswering() const
{
    return portOpen.load() && monotonicMs() - lastAnswerMs.load() <= BoardSilenceMs;
}

bool IOThread::pause(int ms)
{
    QMutexLocker locker(&stopMutex);
    if (!stopFlag)
        stopCondition.wait(&stopMutex, ulong(ms));
    return !stopFlag;
}

bool IOThread::stopRequested()
{
    QMutexLocker locker(&stopMutex);
    return stopFlag;
}

bool IOThread::guiAlive() const
{
    // Exactly the timeout still counts as alive; 64 bits so the difference cannot overflow.
    return qint64(heartbeatNow()) - qint64(heartbeat()) <= HeartbeatTimeoutSeconds;
}

bool IOThread::openSerialPort(QSerialPort &port)
{
    port.setPortName(serialDeviceName(portName));
    if (!port.open(QIODevice::ReadWrite)) {
        qWarning("IOThread: cannot open the I/O board port %s: %s", qPrintable(portName),
                 qPrintable(port.errorString()));
        return false;
    }
    const bool configured = port.setBaudRate(QSerialPort::Baud115200)
        && port.setDataBits(QSerialPort::Data8) && port.setParity(QSerialPort::NoParity)
        && port.setStopBits(QSerialPort::OneStop)
        && port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured)
        qWarning("IOThread: cannot configure the I/O board port %s: %s", qPrintable(portName),
                 qPrintable(port.errorString()));
    return true;
}

void IOThread::run()
{
    if (!ioMutex) {
        qCritical("IOThread: no I/O mutex, the board is not served");
        return;
    }
    setHeartbeat(heartbeatNow());
    lastAnswerMs.store(monotonicMs());

    QSerialPort port;
    portOpen.store(openSerialPort(port));
    IOReplyParser parser;
    bool guiWasSilent = false;

    while (!stopRequested()) {
        if (!guiAlive()) {
            qWarning("controlport_thread - main_thread > 10s will timeout exit");
            guiWasSilent = true;
            pause(SilentGuiPauseMs);
            continue;
        }
        if (!portOpen.load()) {
            pause(ClosedPortPauseMs);
            continue;
        }
        if (guiWasSilent) {
            // We stopped polling, not the board: give it a fresh second to answer.
            guiWasSilent = false;
            lastAnswerMs.store(monotonicMs());
        }

        qint32 wantedOutputs;
        {
            QMutexLocker locker(ioMutex);
            wantedOutputs = ioOutputWord;
        }
        if (readReplies(port, parser, wantedOutputs))
            sendSerialFrame(port, IOFrame::SetOutputs, wantedOutputs);
        sendSerialFrame(port, nextCommand(), 0);
        servedPasses.fetch_add(1);
        checkBoardSilence();
        pause(PassMs);
    }
    portOpen.store(false);
}

bool IOThread::readReplies(QSerialPort &port, IOReplyParser &parser, qint32 wantedOutputs)
{
    // Without an event loop the port learns of new bytes only when asked.
    if (!port.waitForReadyRead(0) && port.error() == QSerialPort::TimeoutError)
        port.clearError();

    bool outputsDiffer = false;
    char scratch[IOReplyParser::Capacity];
    // Only what is waiting now: a babbling line cannot keep the pass from ending. Reads never
    // take more than the parser has room for, so no byte of a frame is lost.
    qint64 waiting = port.bytesAvailable();
    while (waiting > 0) {
        const qint64 got = port.read(scratch, qMin<qint64>(waiting, parser.freeSpace()));
        if (got <= 0)
            break;
        waiting -= got;
        parser.append(scratch, int(got));

        IOReplyFrame frame;
        while (parser.next(&frame)) {
            if (frame.type == IOFrame::Status) {
                noteAnswer();
                const qint32 input = frame.inputWord();
                qint32 stored;
                {
                    QMutexLocker locker(ioMutex);
                    stored = ioInputWord;
                }
                if (input != stored)
                    emit sigIOChange();
                {
                    QMutexLocker locker(ioMutex);
                    ioInputWord = input;
                }
                // The wanted word keeps ones in bits 10..31, so every status reply is answered
                // with the wanted outputs: the board is refreshed about every pass.
                if (frame.outputsInForce() != wantedOutputs)
                    outputsDiffer = true;
            } else if (frame.type == IOFrame::InfoLow || frame.type == IOFrame::InfoHigh) {
                handleInfo(frame.infoValue());
            }
        }
    }
    return outputsDiffer;
}

void IOThread::handleInfo(qint32 value)
{
    // Nothing reads the board's information values yet; entries past the table are dropped.
    if (ioBoardValueIndex < int(ioBoardValues.size()))
        ioBoardValues[ioBoardValueIndex++] = value;
}

void IOThread::sendSerialFrame(QSerialPort &port, int command, qint32 value)
{
    const IORequestFrame frame = makeRequestFrame(command, value);
    port.write(reinterpret_cast<const char *>(frame.data()), qint64(frame.size()));
    port.waitForBytesWritten(WriteWaitMs);
}

int IOThread::nextCommand()
{
    ++requestCounter;
    if (requestCounter == InfoLowPass) {
        ioBoardValueIndex = 0;
        return IOFrame::InfoLow;
    }
    if (requestCounter == InfoHighPass) {
        ioBoardValueIndex = InfoHighFirstIndex;
        requestCounter = 0;
        return IOFrame::InfoHigh;
    }
    return IOFrame::Poll;
}

void IOThread::noteAnswer()
{
    lastAnswerMs.store(monotonicMs());
    if (silenceReported) {
        silenceReported = false;
        qInfo("IOThread: the I/O board on %s answers again", qPrintable(portName));
    }
}

void IOThread::checkBoardSilence()
{
    if (silenceReported || boardAnswering())
        return;
    silenceReported = true;
    qWarning("IOThread: the I/O board on %s is not answering", qPrintable(portName));
}
