#ifndef CORE_FAILURELATCH_H
#define CORE_FAILURELATCH_H

#include <QString>
#include <QtGlobal>

// A failure that repeats with every attempt (a full disk fails every write of every cycle) is
// logged once, when it starts, and once more when the writes work again, with the number of
// failures in between; the log stays readable and the disk is not filled by the log itself.
// One latch per kind of write; used on one thread.
class FailureLatch
{
public:
    // what names the write in both messages ("result rows", "count.txt").
    explicit FailureLatch(const QString &what);

    // The first failure since the last success is logged as critical with the reason.
    void failed(const QString &reason);
    // After failures, logs that the writes work again.
    void succeeded();

    bool isFailing() const { return failures > 0; }

private:
    QString name;
    qint64 failures = 0;
};

#endif
