#ifndef TOOLS_BOARDSIM_BOARDSIMULATOR_H
#define TOOLS_BOARDSIM_BOARDSIMULATOR_H

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

// A reply frame as the I/O board sends it: 0x5F, type, d0..d3, checksum, 0xF5.
QByteArray boardReply(int type, quint8 d0, quint8 d1, quint8 d2, quint8 d3);
// A status reply carrying a 10-bit input word and the outputs in force.
QByteArray boardStatus(int inputWord, int outputsInForce);

// An I/O board on the master side of a pseudo-terminal. The link opens slaveName(), or a
// symbolic link made by linkAs(). Every 6-byte request is recorded with its arrival time
// (unless recording is off); polls are answered with a status reply
// (the simulated inputs and the outputs last set by command 1), information requests with an
// information reply; command 1 frames set the outputs and get no answer.
//
// A slow board (setReplyDelayMs) handles its requests one after the other, each taking the
// delay, so requests sent faster than it handles them queue up in front of it. Destroying the
// simulator is a board that goes away: the link sees its port hang up.
class BoardSimulator
{
public:
    struct Request
    {
        QByteArray bytes;
        qint64 arrivalNs; // steady clock
    };

    BoardSimulator();
    ~BoardSimulator();

    bool isValid() const { return master >= 0; }
    QString slaveName() const { return slave; }
    // Makes path a symbolic link to the pseudo-terminal, replacing an earlier symbolic link
    // there (never a file or folder). The link is removed again with the simulator.
    bool linkAs(const QString &path);

    void setInputWord(int word);
    // A silent board reads requests but answers nothing.
    void setAnswering(bool answering);
    // Requests are recorded unless switched off (a simulator that runs for hours).
    void setRecording(bool recording);
    // Each request takes this long to handle; 0 (the default) handles it at once.
    void setReplyDelayMs(int ms);
    // Writes bytes towards the link as they are, as if the board had sent them earlier: they
    // wait on the port until it is read.
    void sendRaw(const QByteArray &bytes);
    // The most requests that were waiting at the board at one time, the one being handled
    // included.
    int maxQueued() const { return mostQueued.load(); }

    QList<Request> requests() const;
    int requestCount() const;
    // Steady-clock time at which the last change of the input word went out in a status reply.
    qint64 inputSentNs() const { return inputSent.load(); }

    // The outputs last set by command 1 (10 bits) and when they last changed.
    int outputWord() const { return outputs.load(); }
    qint64 outputsChangedNs() const { return outputsChanged.load(); }

    static qint64 nowNs();

private:
    struct Pending
    {
        QByteArray frame;
        qint64 arrivalNs;
    };

    void serve();
    void takeRequests(QByteArray *pending);
    void handleDueRequests();
    void handleRequest(const QByteArray &frame);
    void send(const QByteArray &bytes);

    int master = -1;
    int slaveFd = -1;
    QString slave;
    QString linkPath;
    std::atomic<bool> stop{false};
    std::atomic<int> inputWord{0};
    std::atomic<bool> answering{true};
    std::atomic<bool> recording{true};
    std::atomic<qint64> inputSent{0};
    std::atomic<int> outputs{0};
    std::atomic<qint64> outputsChanged{0};
    std::atomic<int> replyDelayMs{0};
    std::atomic<int> mostQueued{0};
    mutable std::mutex mutex;
    std::mutex writeMutex;
    // Serving thread only.
    std::deque<Pending> queue;
    qint64 busyUntilNs = 0;
    QList<Request> received;
    int lastSentInput = 0; // serving thread only
    std::thread thread;
};

#endif
