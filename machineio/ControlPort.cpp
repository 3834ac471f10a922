#include "machineio/ControlPort.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "machineio/IOGlobals.h"
#include "machineio/SerialPortName.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

constexpr int SpareInputBit = 3;
constexpr int SpareOutputBit = 3;
constexpr int SafetyDoorInput = 1;
constexpr int AlarmOutput = 2;

bool bitOf(qint32 word, int bit)
{
    return (word >> bit) & 1;
}

} // namespace

ControlPort::ControlPort(QObject *parent) : ControlPort(comPortName(ioComPortIndex), parent)
{
}

ControlPort::ControlPort(const QString &portName, QObject *parent)
    : QObject(parent), port(portName)
{
    if (!ioMutex) {
        // main() creates it before the main window; without it the words would race.
        qCritical("ControlPort: created before the I/O mutex, using one of its own");
        static QMutex ownIoMutex;
        ioMutex = &ownIoMutex;
    }
    {
        QMutexLocker locker(ioMutex);
        inputBaseline = ioInputBaselines;
    }
    ResetOutputs();
    PublishOutputs();
}

ControlPort::~ControlPort() = default;

qint32 ControlPort::parameter(int index)
{
    return currentParams ? (*currentParams)[index] : 0;
}

bool ControlPort::idleLevel(int output) const
{
    return parameter(Param::OutputIdleLevel + output) != 0;
}

bool ControlPort::inputPolarity(int input) const
{
    // Only inputs 1..8 have a polarity setting; the indices after them belong to the outputs.
    return input < InputCount && parameter(Param::InputPolarity + input) != 0;
}

void ControlPort::setOutputBit(int bit, bool level)
{
    if (level)
        outputWord |= qint32(1) << bit;
    else
        outputWord &= ~(qint32(1) << bit);
}

qint32 ControlPort::writeOutput(int output, bool on)
{
    if (output < 0 || output >= OutputCount) {
        qWarning("ControlPort::SetOutput: no output %d", output);
        return 0;
    }
    const bool level = on != idleLevel(output);
    qint32 bits = qint32(1) << output;
    if (parameter(Param::SpareOutputSource) == output + 1) {
        setOutputBit(SpareOutputBit, level);
        bits |= qint32(1) << SpareOutputBit;
    }
    setOutputBit(output, level);
    return bits;
}

void ControlPort::SetOutput(int output, bool on)
{
    provisionalBits &= ~writeOutput(output, on);
}

void ControlPort::SetOutputProvisionally(int output, bool on)
{
    const qint32 before = outputWord;
    const qint32 fresh = writeOutput(output, on) & ~provisionalBits;
    provisionalPrior = (provisionalPrior & ~fresh) | (before & fresh);
    provisionalBits |= fresh;
}

void ControlPort::SettleProvisionalOutputs()
{
    outputWord = (outputWord & ~provisionalBits) | (provisionalPrior & provisionalBits);
    provisionalBits = 0;
}

void ControlPort::ResetOutputs()
{
    provisionalBits = 0;
    // In output order, so a spare output following output 1..3 ends at output 4's own idle
    // level, and one following output 5..10 at that output's.
    for (int output = 0; output < OutputCount; ++output) {
        if (parameter(Param::SpareOutputSource) == output + 1)
            setOutputBit(SpareOutputBit, idleLevel(output));
        setOutputBit(output, idleLevel(output));
    }
}

void ControlPort::PublishOutputs()
{
    {
        QMutexLocker locker(ioMutex);
        ioOutputWord = outputWord;
    }
    if (outputWord != ioLastOutputWord) {
        ioLastOutputWord = outputWord;
        if (ioThread)
            ioThread->outputsPublished();
        emit sigIOChange();
    }
}

bool ControlPort::CheckInput(int input)
{
    if (input < 0 || input >= InputCount) {
        qWarning("ControlPort::CheckInput: no input %d", input);
        return false;
    }
    fetchInputWord();
    const bool raw = bitOf(inputWord, input);
    const bool polarity = inputPolarity(input);
    const bool wasActive = bool(prevInputRaw[input]) != polarity;
    const bool rose = !wasActive && raw != polarity;

    const int mode = parameter(Param::MachineMode);
    if (mode != 1 && mode != 2)
        applyDoorRule();

    prevInputRaw[input] = raw;
    return rose;
}

quint32 ControlPort::PendingRisingEdges() const
{
    qint32 word;
    {
        QMutexLocker locker(ioMutex);
        if (ioInputBaselines != inputBaseline)
            return 0;
        word = substituteSpareInput(ioInputWord);
    }
    quint32 edges = 0;
    for (int input = 0; input < InputCount; ++input) {
        const bool polarity = inputPolarity(input);
        const bool wasActive = bool(prevInputRaw[input]) != polarity;
        if (!wasActive && bitOf(word, input) != polarity)
            edges |= 1u << input;
    }
    return edges;
}

void ControlPort::fetchInputWord()
{
    quint32 baseline;
    qint32 baselineWord;
    {
        QMutexLocker locker(ioMutex);
        inputWord = substituteSpareInput(ioInputWord);
        baseline = ioInputBaselines;
        baselineWord = substituteSpareInput(ioInputBaselineWord);
    }
    if (baseline == inputBaseline)
        return;
    // The link started anew: the inputs it found are the starting state, so an input already
    // active then (the mould open while the station restarted) is no edge, nor is the door.
    inputBaseline = baseline;
    startingInputsTaken = true;
    for (int input = 0; input < int(sizeof prevInputRaw); ++input)
        prevInputRaw[input] = bitOf(baselineWord, input);
}

qint32 ControlPort::substituteSpareInput(qint32 word)
{
    const int spareFor = parameter(Param::SpareInputMode);
    if (spareFor < 1 || spareFor > 3)
        return word;
    const int bit = spareFor - 1;
    return (word & ~(qint32(1) << bit)) | (qint32(bitOf(word, SpareInputBit)) << bit);
}

void ControlPort::applyDoorRule()
{
    const bool polarity = inputPolarity(SafetyDoorInput);
    const bool wasClosed = bool(prevInputRaw[SafetyDoorInput]) != polarity;
    const bool closed = bitOf(inputWord, SafetyDoorInput) != polarity;
    if (!wasClosed || closed)
        return;
    // The door opened: an active alarm goes off. Active is judged on the logical state (bit
    // XOR idle level); the electrical bit alone would read an idle-high alarm as always on.
    if (bitOf(outputWord, AlarmOutput) != idleLevel(AlarmOutput))
        SetOutput(AlarmOutput, false);
    PublishOutputs();
    doorOpenedSinceAlarm = true;
}

bool ControlPort::GetIOState(bool isOutput, int index) const
{
    if (index < 0 || index >= OutputCount)
        return false;
    if (isOutput)
        return bitOf(outputWord, index);
    return bitOf(inputWord, index) != inputPolarity(index);
}

bool ControlPort::IsOutputOn(int output) const
{
    if (output < 0 || output >= OutputCount)
        return false;
    return bitOf(outputWord, output) != idleLevel(output);
}

bool ControlPort::createIOThread()
{
    if (ioThread) {
        qWarning("ControlPort: the I/O thread is already running");
        return false;
    }
    ioThread = std::make_unique<IOThread>(port);
    ioThread->setInputWaker(inputWaker);
    connect(ioThread.get(), &IOThread::sigBoardAnswering, this, &ControlPort::sigBoardAnswering);
    return true;
}

void ControlPort::WakeOnInputChange(std::function<void()> wake)
{
    inputWaker = std::move(wake);
    if (ioThread)
        ioThread->setInputWaker(inputWaker);
}

void ControlPort::StopIOThread()
{
    if (!ioThread)
        return;
    ioThread->requestStop();
    ioThread->wait();
}

void ControlPort::TouchHeartbeat()
{
    if (ioThread)
        ioThread->setHeartbeat(IOThread::heartbeatNow());
}

bool ControlPort::IsBoardAnswering() const
{
    return ioThread && ioThread->boardAnswering();
}

quint64 ControlPort::IoPassCount() const
{
    return ioThread ? ioThread->passCount() : 0;
}

quint64 ControlPort::StatusReplyCount() const
{
    return ioThread ? ioThread->statusReplyCount() : 0;
}

quint64 ControlPort::RequestTimeoutCount() const
{
    return ioThread ? ioThread->requestTimeoutCount() : 0;
}
