#ifndef TESTS_SUPPORT_MESSAGERECORDER_H
#define TESTS_SUPPORT_MESSAGERECORDER_H

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

// Records the texts of Qt's info, warning and critical messages for its lifetime (debug
// messages are dropped, as in the program). Restores the previous handler when it ends.
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();

    QStringList messages() const;
    // Number of recorded messages that contain the fragment.
    int count(const QString &fragment) const;
    void clear();

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &text);

    mutable QMutex mutex;
    QStringList recorded;
    QtMessageHandler previous;
};

#endif
