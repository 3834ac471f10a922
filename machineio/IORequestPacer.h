#ifndef MACHINEIO_IOREQUESTPACER_H
#define MACHINEIO_IOREQUESTPACER_H

#include <QtGlobal>

// Keeps one answered request (a poll or an information request) in flight on the I/O board
// link. A board slower than the polling pass would otherwise find its input queue growing
// without end, and an output word sent behind that queue would reach it seconds late.
//
// A request is answered by the first reply of the type it asks for; a reply of another type
// is a late answer to an earlier request and answers nothing, so a link that once had two
// requests in flight is back to one at the next information request. A request whose reply
// has not come within the time-out, with the line quiet meanwhile, is taken as lost. The
// time-out follows the board: three times its slowest recent reply, within
// [MinTimeoutMs, MaxTimeoutMs], and MaxTimeoutMs until a first reply has been timed; the first
// reply after a time-out counts from the request that timed out, so a board that became slower
// is waited for from then on. Times are milliseconds of a monotonic clock.
class IORequestPacer
{
public:
    static constexpr int MinTimeoutMs = 50;
    static constexpr int MaxTimeoutMs = 250;

    // True when no request waits for its reply, or the one in flight has waited past the
    // time-out with no reply on the line meanwhile.
    bool maySend(qint64 nowMs) const;
    void sent(qint64 nowMs, int expectedReplyType);
    void received(qint64 nowMs, int replyType);
    // Nothing in flight any more (the port was opened anew); the reply times learnt stay.
    void reset() { inFlight = overdue = false; }

    int timeoutMs() const;
    bool waiting() const { return inFlight; }

private:
    bool inFlight = false;
    int expectedType = 0;
    qint64 sentMs = 0;
    qint64 lastReplyMs = 0;
    // A request was sent while another still waited: when that one had been sent.
    bool overdue = false;
    qint64 overdueSentMs = 0;
    // Reply time estimate, -1 until timed: takes a slower reply at once and forgets it slowly.
    int replyMs = -1;
};

#endif
