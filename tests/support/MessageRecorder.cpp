#include "tests/support/MessageRecorder.h"

namespace {
MessageRecorder *activeRecorder = nullptr;
QMutex recorderMutex;
} // namespace

MessageRecorder::MessageRecorder()
{
    QMutexLocker lock(&recorderMutex);
    activeRecorder = this;
    previous = qInstallMessageHandler(&MessageRecorder::record);
}

MessageRecorder::~MessageRecorder()
{
    QMutexLocker lock(&recorderMutex);
    qInstallMessageHandler(previous);
    activeRecorder = nullptr;
}

void MessageRecorder::record(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtDebugMsg)
        return;
    QMutexLocker lock(&recorderMutex);
    if (!activeRecorder)
        return;
    QMutexLocker own(&activeRecorder->mutex);
    activeRecorder->recorded << text;
}

QStringList MessageRecorder::messages() const
{
    QMutexLocker lock(&mutex);
    return recorded;
}

int MessageRecorder::count(const QString &fragment) const
{
    QMutexLocker lock(&mutex);
    int n = 0;
    for (const QString &text : recorded)
        n += text.contains(fragment) ? 1 : 0;
    return n;
}

void MessageRecorder::clear()
{
    QMutexLocker lock(&mutex);
    recorded.clear();
}
