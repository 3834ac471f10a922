// The restart of the program: the new process starts only once the old one has ended, and
// what it is started with travels as arguments, never as shell text.

#include "platform/system/SystemActions.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Adds the processes the waiter runs now to those seen before; each of its pauses is one.
int pausesSeen(qint64 waiter, QSet<QByteArray> *seen)
{
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(waiter));
    if (children.open(QIODevice::ReadOnly)) {
        for (const QByteArray &child : children.readAll().simplified().split(' '))
            if (!child.isEmpty())
                seen->insert(child);
    }
    return seen->size();
}

} // namespace

class RestartWaiterTest : public QObject
{
    Q_OBJECT

private slots:
    void startsAfterTheOldProcessEnded();
};

void RestartWaiterTest::startsAfterTheOldProcessEnded()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess old;
    old.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    QVERIFY(old.waitForStarted());

    const QString marker = dir.filePath(QStringLiteral("started;touch canary"));
    QStringList command = SystemActions::restartWaiterCommand(old.processId(), QStringLiteral("touch"),
                                                              {marker});
    const QString shell = command.takeFirst();
    qint64 waiter = 0;
    QVERIFY(QProcess::startDetached(shell, command, dir.path(), &waiter));

    // While the old process lives, nothing starts: not over three of the waiter's pauses.
    QSet<QByteArray> pauses;
    QTRY_VERIFY_WITH_TIMEOUT(pausesSeen(waiter, &pauses) >= 3, 10000);
    QVERIFY(!QFileInfo::exists(marker));
    old.kill();
    QVERIFY(old.waitForFinished());

    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker), 10000);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("canary"))));
}

QTEST_GUILESS_MAIN(RestartWaiterTest)
#include "tst_restartwaiter.moc"
