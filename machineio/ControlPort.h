#ifndef MACHINEIO_CONTROLPORT_H
#define MACHINEIO_CONTROLPORT_H

#include "machineio/IOThread.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// The GUI thread's side of the I/O board: the output word the machine shall see and the input
// word the board last reported. Logical signals become electrical bits through the idle levels
// and polarities of the system parameters; the spare input and output are applied here, and so
// is the safety-door rule. Bit i of either word is signal i + 1.
//
// All operations run on the GUI thread; only the copies to and from ioInputWord and
// ioOutputWord are shared with the polling thread, under ioMutex.
class ControlPort : public QObject
{
    Q_OBJECT

public:
    // The port named by ioComPortIndex ("COM%1").
    explicit ControlPort(QObject *parent = nullptr);
    // A given port: "COM%1" or a device path.
    explicit ControlPort(const QString &portName, QObject *parent = nullptr);
    ~ControlPort() override;

    // output 0..9: bit := on XOR the output's idle level; a spare output following this one
    // takes the same value. Does not publish.
    void SetOutput(int output, bool on);
    // Hands the output word to the polling thread, which sends a changed word at once;
    // sigIOChange when it changed.
    void PublishOutputs();
    // Every output to its idle level. Does not publish.
    void ResetOutputs();
    // Like SetOutput, but only until SettleProvisionalOutputs: an output that SetOutput or
    // ResetOutputs has not written meanwhile goes back to the level it had before. Does not
    // publish.
    void SetOutputProvisionally(int output, bool on);
    void SettleProvisionalOutputs();
    bool HasProvisionalOutputs() const { return provisionalBits != 0; }
    // input 0..7: true on a logical rising edge since the previous call for this input.
    // Also applies the safety-door rule.
    bool CheckInput(int input);
    // Bit i: input i rose in the newest word of the board since the last CheckInput(i) (nothing
    // while the link starts anew). Reads only: the edges stay for CheckInput.
    quint32 PendingRisingEdges() const;
    // A CheckInput has taken the inputs the link found when it started: every rising edge
    // after them is seen.
    bool HasStartingInputs() const { return startingInputsTaken; }
    // Output: the bit as stored (electrical level). Input: the logical level of the word last
    // fetched by CheckInput. index 0..9.
    bool GetIOState(bool isOutput, int index) const;
    // Output 0..9 on in the machine's sense: its bit differs from its idle level.
    bool IsOutputOn(int output) const;

    // Creates and starts the polling thread with sigIOChange connected to slot of receiver
    // (a member function or a functor; queued, since the signal comes from the thread).
    // Called once at start-up after the main window exists.
    template <typename Receiver, typename Slot>
    void StartIOThread(const Receiver *receiver, Slot slot)
    {
        if (!createIOThread())
            return;
        connect(ioThread.get(), &IOThread::sigIOChange, receiver, slot);
        ioThread->start();
    }
    // wake runs on the polling thread each time it has stored a changed input word, before the
    // GUI thread hears of it: for a GUI thread that waits for something else meanwhile. Kept
    // for a polling thread started later; it must be safe to call from any thread for as long
    // as the thread runs.
    void WakeOnInputChange(std::function<void()> wake);
    // Stops the polling thread and waits for it; the board keeps the outputs last sent.
    void StopIOThread();
    // Stamps the GUI heartbeat; the thread stops serving the board when it is over 10 s old.
    void TouchHeartbeat();
    // False while the inputs are stale: no thread, or no status reply from the board for more
    // than a second (port lost or not openable, board silent or unplugged). What the operator
    // is shown as "I/O board not answering"; sigBoardAnswering follows its changes.
    bool IsBoardAnswering() const;
    // Passes of the polling thread that exchanged frames with the board; 0 without a thread.
    quint64 IoPassCount() const;
    // Status replies the polling thread took from the board; 0 without a thread.
    quint64 StatusReplyCount() const;
    // Requests the polling thread sent again after a time-out; 0 without a thread.
    quint64 RequestTimeoutCount() const;

    IOThread *pollingThread() const { return ioThread.get(); }
    QString portName() const { return port; }

signals:
    // The published output word changed.
    void sigIOChange();
    // The board stopped answering for a second (false), or answers again after that (true).
    // Delivered on the GUI thread.
    void sigBoardAnswering(bool answering);

private:
    bool createIOThread();
    void setOutputBit(int bit, bool level);
    // Writes the output's bit and the spare output following it; the bits written.
    qint32 writeOutput(int output, bool on);
    bool idleLevel(int output) const;
    bool inputPolarity(int input) const;
    void fetchInputWord();
    static qint32 substituteSpareInput(qint32 word);
    void applyDoorRule();
    static qint32 parameter(int index);

    static constexpr int OutputCount = 10;
    static constexpr int InputCount = 8;

    const QString port;
    quint8 prevInputRaw[16] = {};
    qint32 outputWord = -1;
    // Bits set by SetOutputProvisionally and not written since, with their earlier levels.
    qint32 provisionalBits = 0;
    qint32 provisionalPrior = 0;
    qint32 inputWord = 0;
    // ioInputBaselines as last seen: a new starting state resets the edge detection.
    quint32 inputBaseline = 0;
    bool startingInputsTaken = false;
    std::function<void()> inputWaker;
    std::unique_ptr<IOThread> ioThread;
};

#endif
