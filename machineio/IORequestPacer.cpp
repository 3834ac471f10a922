#include "machineio/IORequestPacer.h"

#include <algorithm>

namespace {

constexpr int TimeoutFactor = 3;
// A faster reply moves the estimate an eighth of the way down.
constexpr int ForgetShare = 8;

} // namespace

bool IORequestPacer::maySend(qint64 nowMs) const
{
    return !inFlight || nowMs - std::max(sentMs, lastReplyMs) > timeoutMs();
}

void IORequestPacer::sent(qint64 nowMs, int expectedReplyType)
{
    if (inFlight && !overdue) {
        overdue = true;
        overdueSentMs = sentMs;
    }
    inFlight = true;
    expectedType = expectedReplyType;
    sentMs = nowMs;
}

void IORequestPacer::received(qint64 nowMs, int replyType)
{
    lastReplyMs = nowMs;
    if (overdue) {
        // The board answers again after a time-out: it may just be slower than it was, and the
        // time-out must not cut its replies short again.
        overdue = false;
        replyMs = std::max(replyMs, int(std::clamp<qint64>(nowMs - overdueSentMs, 0, MaxTimeoutMs)));
    }
    if (!inFlight || replyType != expectedType)
        return;
    inFlight = false;
    const int took = int(std::clamp<qint64>(nowMs - sentMs, 0, MaxTimeoutMs));
    if (replyMs < 0 || took >= replyMs)
        replyMs = took;
    else
        replyMs -= (replyMs - took + ForgetShare - 1) / ForgetShare;
}

int IORequestPacer::timeoutMs() const
{
    if (replyMs < 0)
        return MaxTimeoutMs;
    return std::clamp(TimeoutFactor * replyMs, MinTimeoutMs, MaxTimeoutMs);
}
