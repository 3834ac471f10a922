#ifndef MACHINEIO_IOTHREAD_H
#define MACHINEIO_IOTHREAD_H

#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <array>
#include <atomic>

class QSerialPort;
class IOReplyParser;

// The polling thread of the I/O board link. Every 5 ms it reads what the board sent, sends
// the wanted output word (ioOutputWord) when the board reports its outputs, and polls the
// inputs; a changed input word is stored in ioInputWord and announced by sigIOChange.
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

    // The GUI thread's last sign of life, in seconds since the epoch modulo 1,000,000,000.
    void setHeartbeat(qint32 seconds) { heartbeatSeconds.store(seconds); }
    qint32 heartbeat() const { return heartbeatSeconds.load(); }
    static qint32 heartbeatNow();

    // False once no status reply has come for more than about a second (port not open,
    // board silent or unplugged), so the inputs are stale.
    bool boardAnswering() const;
    // Passes that exchanged frames with the board since the thread started. A word published
    // before pass n began has been sent by the time pass n + 1 has ended.
    quint64 passCount() const { return servedPasses.load(); }

    static constexpr int PassMs = 5;
    static constexpr int HeartbeatTimeoutSeconds = 10;
    static constexpr int BoardSilenceMs = 1000;

signals:
    // An input word different from the stored one arrived; emitted before it is stored.
    void sigIOChange();

protected:
    void run() override;

private:
    bool pause(int ms);
    bool stopRequested();
    bool guiAlive() const;
    bool openSerialPort(QSerialPort &port);
    bool readReplies(QSerialPort &port, IOReplyParser &parser, qint32 wantedOutputs);
    void handleInfo(qint32 value);
    void sendSerialFrame(QSerialPort &port, int command, qint32 value);
    int nextCommand();
    void noteAnswer();
    void checkBoardSilence();

    const QString portName;

    std::atomic<qint32> heartbeatSeconds{0};
    std::atomic<bool> portOpen{false};
    std::atomic<qint64> lastAnswerMs{0};
    std::atomic<quint64> servedPasses{0};

    QMutex stopMutex;
    QWaitCondition stopCondition;
    bool stopFlag = false;

    // Thread-private state.
    int requestCounter = 0;
    std::array<qint32, 16> ioBoardValues = {};
    int ioBoardValueIndex = 0;
    bool silenceReported = false;
};

#endif
