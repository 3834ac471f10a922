// An I/O board on a pseudo-terminal for watching the station without a machine. It links the
// pseudo-terminal into the station's working folder under the port name of the I/O board
// ("COM1" unless told otherwise), where the station looks for it before /dev/ttyS<n>, and lets
// the operator drive the machine inputs from the keyboard while it shows the outputs.
//
//     boardsim [working folder] [port name]      (defaults: build/runtime COM1)
//
// Start it before the station (./run.sh); the link is removed when it ends.

#include "tools/boardsim/BoardSimulator.h"

#include <QDir>
#include <QFileInfo>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {

constexpr int InputCount = 8;
constexpr int OutputCount = 10;
constexpr int PulseMs = 600;

const char *const inputNames[InputCount] = {"mould-open end", "safety door", "ejector-back end",
                                            "spare 4", "spare 5", "input 6", "input 7", "input 8"};

// The terminal without line buffering and echo, restored on exit.
class RawTerminal
{
public:
    RawTerminal()
    {
        if (tcgetattr(STDIN_FILENO, &saved) != 0)
            return;
        termios raw = saved;
        raw.c_lflag &= tcflag_t(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        active = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    ~RawTerminal()
    {
        if (active)
            tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    }
    RawTerminal(const RawTerminal &) = delete;
    RawTerminal &operator=(const RawTerminal &) = delete;

private:
    termios saved{};
    bool active = false;
};

QString bits(int word, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += ((word >> i) & 1) ? QLatin1Char('1') : QLatin1Char('0');
    return text;
}

void showState(const BoardSimulator &board, int inputs, bool answering)
{
    std::printf("\rinputs 1-8: %s   outputs 1-10: %s   %s", qPrintable(bits(inputs, InputCount)),
                qPrintable(bits(board.outputWord(), OutputCount)), answering ? "         " : "(silent)");
    std::fflush(stdout);
}

void printHelp()
{
    std::printf("keys: 1-8 toggle that input, o pulse the mould-open end (1), d pulse the safety "
                "door (2), e pulse the ejector-back end (3), s stop or resume answering, q quit\n");
    for (int i = 0; i < InputCount; ++i)
        std::printf("  input %d: %s\n", i + 1, inputNames[i]);
    std::printf("outputs (electrical levels, 1 = idle with the default settings): 1 mould-close "
                "permission, 2 ejector permission, 3 alarm, 4 spare, 5-10 extra\n");
}

} // namespace

int main(int argc, char **argv)
{
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/runtime");
    const QString port = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("COM1");
    if (!QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "boardsim: %s is not a folder (build the station first)\n", qPrintable(folder));
        return 2;
    }

    BoardSimulator board;
    if (!board.isValid()) {
        std::fprintf(stderr, "boardsim: no pseudo-terminal\n");
        return 1;
    }
    board.setRecording(false);
    const QString link = QDir(folder).filePath(port);
    if (!board.linkAs(link)) {
        std::fprintf(stderr, "boardsim: cannot make %s (a file of that name is in the way?)\n", qPrintable(link));
        return 1;
    }
    std::printf("I/O board on %s, linked as %s\n", qPrintable(board.slaveName()), qPrintable(link));
    printHelp();

    const RawTerminal terminal;
    int inputs = 0;
    int shownOutputs = -1;
    int pulseBit = -1;
    bool answering = true;
    auto pulseEnd = std::chrono::steady_clock::now();
    showState(board, inputs, answering);
    for (;;) {
        pollfd key = {STDIN_FILENO, POLLIN, 0};
        if (poll(&key, 1, 20) > 0) {
            char c = 0;
            if (read(STDIN_FILENO, &c, 1) != 1 || c == 'q')
                break;
            int toggle = -1;
            if (c >= '1' && c <= '8')
                toggle = c - '1';
            const int pulse = c == 'o' ? 0 : c == 'd' ? 1 : c == 'e' ? 2 : -1;
            if (toggle >= 0)
                inputs ^= 1 << toggle;
            if (c == 's') {
                answering = !answering;
                board.setAnswering(answering);
            }
            if (pulse >= 0 && pulseBit < 0) {
                pulseBit = pulse;
                inputs |= 1 << pulse;
                pulseEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(PulseMs);
            }
            board.setInputWord(inputs);
            showState(board, inputs, answering);
        }
        if (pulseBit >= 0 && std::chrono::steady_clock::now() >= pulseEnd) {
            inputs &= ~(1 << pulseBit);
            pulseBit = -1;
            board.setInputWord(inputs);
            showState(board, inputs, answering);
        }
        if (board.outputWord() != shownOutputs) {
            shownOutputs = board.outputWord();
            showState(board, inputs, answering);
        }
    }
    std::printf("\n");
    return 0;
}
