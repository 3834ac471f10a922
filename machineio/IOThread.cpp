#include "machineio/IOThread.h"

#include "core/Globals.h"
#include "machineio/IOGlobals.h"
#include "machineio/IOReplyParser.h"
#include "machineio/MonotonicClock.h"
#include "machineio/SerialPortName.h"
#include "platform/system/PromptWakeUps.h"

#include <QMutexLocker>
#include <QSerialPort>

#include <algorithm>

namespace {

constexpr int ClosedPortPauseMs = 30;
constexpr int SilentGuiPauseMs = 1000;
constexpr int WriteWaitMs = 10;
constexpr int InfoLowPass = 200;
constexpr int InfoHighPass = 210;
constexpr int InfoHighFirstIndex = 8;

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
    // The monotonic clock: setting the date or time (the settings page does) must neither make
    // a live GUI thread look silent nor a silent one look alive.
    return qint32((monotonicMs() / 1000) % 1000000000);
}

bool IOThread::boardAnswering() const
{
    return portOpen.load() && !boardSilent();
}

bool IOThread::boardSilent() const
{
    return monotonicMs() - lastAnswerMs.load() > BoardSilenceMs;
}

void IOThread::outputsPublished()
{
    QMutexLocker locker(&stopMutex);
    outputsWaiting = true;
    stopCondition.wakeAll();
}

void IOThread::setInputWaker(std::function<void()> wake)
{
    QMutexLocker locker(&stopMutex);
    inputWaker = std::move(wake);
}

bool IOThread::pause(int ms)
{
    QMutexLocker locker(&stopMutex);
    if (!stopFlag)
        stopCondition.wait(&stopMutex, ulong(ms));
    return !stopFlag;
}

bool IOThread::pauseForOutputs(int ms)
{
    QMutexLocker locker(&stopMutex);
    if (!stopFlag && !outputsWaiting)
        stopCondition.wait(&stopMutex, ulong(ms));
    outputsWaiting = false;
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
    ++openAttempts;
    // The name is resolved again on every open: a "COMn" link may lead to a new device now.
    port.setPortName(serialDeviceName(portName));
    if (!port.open(QIODevice::ReadWrite)) {
        if (!openFailureReported)
            qWarning("IOThread: cannot open the I/O board port %s: %s", qPrintable(portName),
                     qPrintable(port.errorString()));
        openFailureReported = true;
        port.clearError();
        return false;
    }
    const bool configured = port.setBaudRate(QSerialPort::Baud115200)
        && port.setDataBits(QSerialPort::Data8) && port.setParity(QSerialPort::NoParity)
        && port.setStopBits(QSerialPort::OneStop)
        && port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured)
        qWarning("IOThread: cannot configure the I/O board port %s: %s", qPrintable(portName),
                 qPrintable(port.errorString()));
    // What waits on the port was sent before this open: answers to the polls of a process
    // that ended, or of a board that went away. Taken as fresh they would fake input edges.
    port.clear(QSerialPort::AllDirections);
    port.clearError();
    if (openFailureReported)
        qInfo("IOThread: the I/O board port %s is open", qPrintable(portName));
    openFailureReported = false;

    const qint64 now = monotonicMs();
    openedMs = now;
    pacer.reset();
    linkStarting = true;
    {
        QMutexLocker locker(ioMutex);
        lastSentOutputs = ioOutputWord;
    }
    portOpen.store(true);
    return true;
}

void IOThread::closeSerialPort(QSerialPort &port)
{
    port.close();
    port.clearError();
    portOpen.store(false);
}

void IOThread::run()
{
    if (!ioMutex) {
        qCritical("IOThread: no I/O mutex, the board is not served");
        return;
    }
    // An input edge or an output word waits for this thread to wake: it must not wait behind
    // the judging threads' time slices as well.
    const PromptWakeUps prompt;
    setHeartbeat(heartbeatNow());
    lastAnswerMs.store(monotonicMs());

    QSerialPort port;
    IOReplyParser parser;
    bool guiWasSilent = false;

    while (!stopRequested()) {
        if (!guiAlive()) {
            qWarning("controlport_thread - main_thread > 10s will timeout exit");
            guiWasSilent = true;
            pause(SilentGuiPauseMs);
            continue;
        }
        if (guiWasSilent) {
            // We stopped polling, not the board: give it a fresh second to answer.
            guiWasSilent = false;
            lastAnswerMs.store(monotonicMs());
            openedMs = monotonicMs();
        }
        if (!portOpen.load() && monotonicMs() >= nextOpenMs) {
            if (openSerialPort(port))
                parser.clear();
            else
                nextOpenMs = monotonicMs() + ReopenIntervalMs;
        }
        if (portOpen.load())
            servePort(port, parser);
        checkBoardSilence();
        if (portOpen.load())
            waitOutPass(port, parser);
        else
            pause(ClosedPortPauseMs);
    }
    closeSerialPort(port);
}

void IOThread::servePort(QSerialPort &port, IOReplyParser &parser)
{
    exchangeWords(port, parser);
    const qint64 now = monotonicMs();
    if (pacer.maySend(now)) {
        const int command = nextCommand();
        // Sent while another still waits: that one timed out and stays at the board's queue.
        if (pacer.waiting())
            requestTimeouts.fetch_add(1);
        sendSerialFrame(port, command, 0);
        // Each answered command is answered by a reply of its own number.
        pacer.sent(now, command);
    }
    servedPasses.fetch_add(1);

    if (portFailed(port)) {
        if (!portLossReported)
            qWarning("IOThread: the I/O board port %s failed (%s); it is opened again by its name",
                     qPrintable(portName), qPrintable(port.errorString()));
        portLossReported = true;
        closeSerialPort(port);
        nextOpenMs = now;
    } else if (now - std::max(lastAnswerMs.load(), openedMs) > BoardSilenceMs) {
        // A board silent behind a working port may have been power-cycled, or the device
        // replaced under the same name: start over on a freshly opened port.
        closeSerialPort(port);
        nextOpenMs = now;
    }
}

// What the board sent is taken in, and the wanted output word sent when it is owed.
void IOThread::exchangeWords(QSerialPort &port, IOReplyParser &parser)
{
    qint32 wantedOutputs;
    {
        QMutexLocker locker(ioMutex);
        wantedOutputs = ioOutputWord;
    }
    const bool starting = linkStarting;
    const Replies replies = readReplies(port, parser, wantedOutputs);
    // The word goes after every status reply (it never equals the outputs in force, see
    // readReplies), at once when the board answers again, and at once when it changed: never
    // behind a queue of polls.
    if (replies.outputsDiffer || (starting && replies.status) || wantedOutputs != lastSentOutputs) {
        sendSerialFrame(port, IOFrame::SetOutputs, wantedOutputs);
        lastSentOutputs = wantedOutputs;
    }
}

// The pause between two passes, PassMs from the end of the one just served. The answer to the
// request in flight is read the moment it arrives; once it is in, the thread sleeps until the
// pass is over or the GUI thread publishes an output word, which then goes out at once.
void IOThread::waitOutPass(QSerialPort &port, IOReplyParser &parser)
{
    const qint64 end = monotonicMs() + PassMs;
    while (portOpen.load() && pacer.waiting() && !stopRequested()) {
        const qint64 left = end - monotonicMs();
        if (left <= 0)
            return;
        // Nothing within the pass (a slow or silent board), or a failed port: the next pass
        // deals with it.
        if (!port.waitForReadyRead(int(left))) {
            if (port.error() == QSerialPort::TimeoutError)
                port.clearError();
            break;
        }
        exchangeWords(port, parser);
    }
    for (qint64 left = end - monotonicMs(); left > 0; left = end - monotonicMs()) {
        if (!pauseForOutputs(int(left)))
            return;
        if (portOpen.load() && !portFailed(port))
            exchangeWords(port, parser);
    }
}

bool IOThread::portFailed(const QSerialPort &port) const
{
    const QSerialPort::SerialPortError error = port.error();
    return !port.isOpen() || (error != QSerialPort::NoError && error != QSerialPort::TimeoutError);
}

IOThread::Replies IOThread::readReplies(QSerialPort &port, IOReplyParser &parser, qint32 wantedOutputs)
{
    // Without an event loop the port learns of new bytes only when asked.
    if (!port.waitForReadyRead(0) && port.error() == QSerialPort::TimeoutError)
        port.clearError();

    Replies replies;
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
            pacer.received(monotonicMs(), frame.type);
            if (frame.type == IOFrame::Status) {
                replies.status = true;
                noteAnswer();
                storeInputWord(frame.inputWord());
                // The wanted word keeps ones in bits 10..31, so every status reply is answered
                // with the wanted outputs: the board is refreshed about every pass.
                if (frame.outputsInForce() != wantedOutputs)
                    replies.outputsDiffer = true;
            } else if (frame.type == IOFrame::InfoLow || frame.type == IOFrame::InfoHigh) {
                handleInfo(frame.infoValue());
            }
        }
    }
    return replies;
}

void IOThread::storeInputWord(qint32 input)
{
    statusReplies.fetch_add(1);
    bool changed;
    {
        QMutexLocker locker(ioMutex);
        changed = input != ioInputWord;
        ioInputWord = input;
        // The inputs as the link finds them are where it starts from, not edges: after a
        // restart or a lost link the machine may have moved meanwhile.
        if (linkStarting) {
            ++ioInputBaselines;
            ioInputBaselineWord = input;
        }
    }
    linkStarting = false;
    // Announced once stored: a receiver that runs at once must find the new word, or the
    // edge would wait for its next pass.
    if (!changed)
        return;
    std::function<void()> wake;
    {
        QMutexLocker locker(&stopMutex);
        wake = inputWaker;
    }
    if (wake)
        wake();
    emit sigIOChange();
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
    if (silenceReported || portLossReported)
        qInfo("IOThread: the I/O board on %s answers again", qPrintable(portName));
    portLossReported = false;
    if (silenceReported) {
        silenceReported = false;
        emit sigBoardAnswering(true);
    }
}

void IOThread::checkBoardSilence()
{
    // A port swapped within the second is no silence worth reporting.
    if (silenceReported || !boardSilent())
        return;
    silenceReported = true;
    qWarning("IOThread: the I/O board on %s is not answering", qPrintable(portName));
    emit sigBoardAnswering(false);
}
