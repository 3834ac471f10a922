#ifndef MACHINEIO_IOTHREAD_H
#define MACHINEIO_IOTHREAD_H

#include "machineio/IORequestPacer.h"

#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <array>
#include <atomic>
#include <functional>

class QSerialPort;
class IOReplyParser;

// The polling thread of the I/O board link. Every 5 ms it reads what the board sent, sends
// the wanted output word (ioOutputWord), and polls the inputs; a changed input word is stored
// in ioInputWord and announced by sigIOChange.
//
// Between two polls the thread is not deaf: the poll's answer is taken as soon as it arrives
// (a changed input reaches the GUI thread at once, not a pass later), and an output word
// published meanwhile (outputsPublished) goes out at once, not at the next pass. The frames on
// the wire and the poll period stay as they were; only the waiting inside a pass is shorter.
//
// One poll is in flight at a time (IORequestPacer), so a slow board never has stale polls
// queued; a changed output word goes out at once, not behind them. What the port holds when it
// opens is discarded, and the first input word after the link is (re)established is taken as
// the starting state (ioInputBaselines), so no edge is made of it. A port that fails, or a board
// silent for BoardSilenceMs, has the port closed and opened again by its name, at most every
// ReopenIntervalMs: a replaced device (a USB adapter that re-enumerated, a new link to a
// simulator) is found again. Loss and return are logged once each and signalled.
//
// The thread sleeps nearly all the time and must act the moment a reply or an output word
// arrives, also while the judging threads keep both processors busy: it runs with prompt
// wake-ups (PromptWakeUps).
//
// The serial port is opened inside run(), so it lives on this thread. The thread serves the
// board only while the GUI thread's heartbeat is at most 10 s old. Destroying the object stops
// the thread and waits for it.
class IOThread : public QThread
{
    Q_OBJECT

public:
    // portName: "COM%1" or a device path (see serialDeviceName()).
    explicit IOThread(const QString &portName, QObject *parent = nullptr);
    ~IOThread() override;

    // Asks run() to end at its next pass or pause; does not wait.
    void requestStop();
    // ioOutputWord changed: the thread sends it now rather than at its next pass.
    void outputsPublished();
    // Runs on this thread right after a changed input word is stored, before sigIOChange is
    // delivered: for a thread that waits elsewhere and must not wait for its event loop.
    void setInputWaker(std::function<void()> wake);

    // The GUI thread's last sign of life, in seconds of the monotonic clock modulo 1,000,000,000.
    void setHeartbeat(qint32 seconds) { heartbeatSeconds.store(seconds); }
    qint32 heartbeat() const { return heartbeatSeconds.load(); }
    static qint32 heartbeatNow();

    // False while the port is not open, or once no status reply has come for more than
    // BoardSilenceMs (board silent or unplugged): the inputs are stale. True for the first
    // BoardSilenceMs after the thread opened the port.
    bool boardAnswering() const;
    // Passes that exchanged frames with the board since the thread started. A word published
    // before pass n began has been sent by the time pass n + 1 has ended.
    quint64 passCount() const { return servedPasses.load(); }
    // Status replies taken from the board since the thread started.
    quint64 statusReplyCount() const { return statusReplies.load(); }
    // Requests sent after the one before them timed out without a reply.
    quint64 requestTimeoutCount() const { return requestTimeouts.load(); }
    // Times the thread tried to open the port, successfully or not.
    quint64 openAttemptCount() const { return openAttempts.load(); }

    static constexpr int PassMs = 5;
    static constexpr int HeartbeatTimeoutSeconds = 10;
    static constexpr int BoardSilenceMs = 1000;
    static constexpr int ReopenIntervalMs = 500;

signals:
    // An input word different from the stored one arrived; emitted once it is stored.
    void sigIOChange();
    // The board has not answered for BoardSilenceMs (false), or answers again after that (true).
    void sigBoardAnswering(bool answering);

protected:
    void run() override;

private:
    struct Replies
    {
        bool status = false;
        bool outputsDiffer = false;
    };

    bool pause(int ms);
    // Waits until ms have passed, a published output word wakes it (true), or a stop is asked.
    bool pauseForOutputs(int ms);
    bool stopRequested();
    bool guiAlive() const;
    bool boardSilent() const;
    bool openSerialPort(QSerialPort &port);
    void closeSerialPort(QSerialPort &port);
    void servePort(QSerialPort &port, IOReplyParser &parser);
    void waitOutPass(QSerialPort &port, IOReplyParser &parser);
    void exchangeWords(QSerialPort &port, IOReplyParser &parser);
    Replies readReplies(QSerialPort &port, IOReplyParser &parser, qint32 wantedOutputs);
    void storeInputWord(qint32 input);
    void handleInfo(qint32 value);
    void sendSerialFrame(QSerialPort &port, int command, qint32 value);
    int nextCommand();
    bool portFailed(const QSerialPort &port) const;
    void noteAnswer();
    void checkBoardSilence();

    const QString portName;

    std::atomic<qint32> heartbeatSeconds{0};
    std::atomic<bool> portOpen{false};
    std::atomic<qint64> lastAnswerMs{0};
    std::atomic<quint64> servedPasses{0};
    std::atomic<quint64> statusReplies{0};
    std::atomic<quint64> requestTimeouts{0};
    std::atomic<quint64> openAttempts{0};

    QMutex stopMutex;
    QWaitCondition stopCondition;
    bool stopFlag = false;
    bool outputsWaiting = false;
    std::function<void()> inputWaker;

    // Thread-private state.
    int requestCounter = 0;
    std::array<qint32, 16> ioBoardValues = {};
    int ioBoardValueIndex = 0;
    IORequestPacer pacer;
    qint64 openedMs = 0;
    qint64 nextOpenMs = 0;
    qint32 lastSentOutputs = 0;
    // The next status reply starts the link anew: its input word is the starting state and the
    // output word follows it at once.
    bool linkStarting = true;
    bool silenceReported = false;
    bool openFailureReported = false;
    bool portLossReported = false;
};

#endif
