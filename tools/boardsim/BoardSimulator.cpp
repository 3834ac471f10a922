#include "tools/boardsim/BoardSimulator.h"

#include "machineio/IOFrames.h"
#include "platform/system/PromptWakeUps.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

QByteArray boardReply(int type, quint8 d0, quint8 d1, quint8 d2, quint8 d3)
{
    QByteArray frame;
    frame.append(char(IOFrame::Start)).append(char(type));
    frame.append(char(d0)).append(char(d1)).append(char(d2)).append(char(d3));
    frame.append(char(byteSum(reinterpret_cast<const quint8 *>(frame.constData()), 6)));
    frame.append(char(IOFrame::End));
    return frame;
}

QByteArray boardStatus(int inputWord, int outputsInForce)
{
    return boardReply(IOFrame::Status, quint8(inputWord & 0xFF), quint8((inputWord >> 8) & 0x03),
                      quint8(outputsInForce & 0xFF), quint8((outputsInForce >> 8) & 0x03));
}

qint64 BoardSimulator::nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

BoardSimulator::BoardSimulator()
{
    char name[256] = {};
    if (openpty(&master, &slaveFd, name, nullptr, nullptr) != 0) {
        master = slaveFd = -1;
        return;
    }
    termios settings;
    if (tcgetattr(slaveFd, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(slaveFd, TCSANOW, &settings);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    slave = QString::fromLocal8Bit(name);
    thread = std::thread([this] { serve(); });
}

BoardSimulator::~BoardSimulator()
{
    if (!linkPath.isEmpty() && QFileInfo(linkPath).symLinkTarget() == slave)
        QFile::remove(linkPath);
    stop.store(true);
    if (thread.joinable())
        thread.join();
    if (slaveFd >= 0)
        close(slaveFd);
    if (master >= 0)
        close(master);
}

bool BoardSimulator::linkAs(const QString &path)
{
    if (!isValid())
        return false;
    const QFileInfo existing(path);
    if (existing.isSymLink()) {
        if (!QFile::remove(path))
            return false;
    } else if (existing.exists()) {
        return false;
    }
    if (!QFile::link(slave, path))
        return false;
    linkPath = QFileInfo(path).absoluteFilePath();
    return true;
}

void BoardSimulator::setInputWord(int word)
{
    inputWord.store(word);
}

void BoardSimulator::setAnswering(bool on)
{
    answering.store(on);
}

void BoardSimulator::setRecording(bool on)
{
    recording.store(on);
}

QList<BoardSimulator::Request> BoardSimulator::requests() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return received;
}

int BoardSimulator::requestCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return received.size();
}

void BoardSimulator::setReplyDelayMs(int ms)
{
    replyDelayMs.store(qMax(0, ms));
}

void BoardSimulator::sendRaw(const QByteArray &bytes)
{
    send(bytes);
}

void BoardSimulator::serve()
{
    // The board is a device of its own: its answers do not wait for the panel's busy processors
    // as this thread would.
    const PromptWakeUps prompt;
    QByteArray pending;
    while (!stop.load()) {
        int waitMs = 20;
        if (!queue.empty())
            waitMs = int(qBound<qint64>(0, (busyUntilNs - nowNs()) / 1000000, 20));
        pollfd descriptor = {master, POLLIN, 0};
        if (poll(&descriptor, 1, waitMs) > 0) {
            char chunk[512];
            const ssize_t got = read(master, chunk, sizeof chunk);
            if (got > 0) {
                pending.append(chunk, int(got));
                takeRequests(&pending);
            }
        }
        handleDueRequests();
    }
}

void BoardSimulator::takeRequests(QByteArray *pending)
{
    // Requests are framed like the replies: start byte, checksum, end byte.
    while (pending->size() >= IOFrame::RequestSize) {
        const auto *bytes = reinterpret_cast<const quint8 *>(pending->constData());
        if (bytes[0] == IOFrame::Start && bytes[5] == IOFrame::End && bytes[4] == byteSum(bytes, 4)) {
            const qint64 now = nowNs();
            if (recording.load()) {
                std::lock_guard<std::mutex> lock(mutex);
                received.append({pending->left(IOFrame::RequestSize), now});
            }
            if (queue.empty())
                busyUntilNs = now + qint64(replyDelayMs.load()) * 1000000;
            queue.push_back({pending->left(IOFrame::RequestSize), now});
            mostQueued.store(qMax(mostQueued.load(), int(queue.size())));
            pending->remove(0, IOFrame::RequestSize);
        } else {
            pending->remove(0, 1);
        }
    }
}

// Requests are handled in order, each one the reply delay after the one before was done.
void BoardSimulator::handleDueRequests()
{
    while (!queue.empty() && nowNs() >= busyUntilNs) {
        const QByteArray frame = queue.front().frame;
        queue.pop_front();
        handleRequest(frame);
        busyUntilNs = nowNs() + qint64(replyDelayMs.load()) * 1000000;
    }
}

void BoardSimulator::handleRequest(const QByteArray &frame)
{
    const int command = quint8(frame[1]);
    if (command == IOFrame::SetOutputs) {
        const int value = (quint8(frame[2]) | quint8(frame[3]) << 8) & 0x3FF;
        if (value != outputs.load()) {
            outputsChanged.store(nowNs());
            outputs.store(value);
        }
        return;
    }
    if (!answering.load())
        return;
    if (command == IOFrame::Poll) {
        const int input = inputWord.load();
        send(boardStatus(input, outputs.load()));
        if (input != lastSentInput) {
            lastSentInput = input;
            inputSent.store(nowNs());
        }
    } else if (command == IOFrame::InfoLow || command == IOFrame::InfoHigh) {
        send(boardReply(command, 0x78, 0x56, 0x34, 0x12));
    }
}

void BoardSimulator::send(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(writeMutex);
    int offset = 0;
    while (offset < bytes.size() && !stop.load()) {
        const ssize_t written = write(master, bytes.constData() + offset, size_t(bytes.size() - offset));
        if (written > 0)
            offset += int(written);
        else
            poll(nullptr, 0, 1);
    }
}
