// The restart of the program: the new process starts only once the old one has ended, and
// what it is started with travels as arguments, never as shell text.

#include "platform/system/SystemActions.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

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
    void startsWhileTheEndedProcessIsNotReaped();
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

// An old process that has ended but that its parent has not reaped yet (a zombie) still
// answers kill -0; the new one must start at once all the same, not after the waiter's limit.
void RestartWaiterTest::startsWhileTheEndedProcessIsNotReaped()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A bare fork: unlike QProcess, nothing in this process reaps it behind the test's back.
    const pid_t old = ::fork();
    QVERIFY(old >= 0);
    if (old == 0)
        ::_exit(0);
    const auto state = [old] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(old));
        if (!stat.open(QIODevice::ReadOnly))
            return QByteArray();
        const QByteArray text = stat.readAll();
        return text.mid(text.lastIndexOf(')') + 2, 1);
    };
    QTRY_COMPARE_WITH_TIMEOUT(state(), QByteArray("Z"), 5000);

    const QString marker = dir.filePath(QStringLiteral("started"));
    QStringList command = SystemActions::restartWaiterCommand(old, QStringLiteral("touch"), {marker});
    const QString shell = command.takeFirst();
    QVERIFY(QProcess::startDetached(shell, command, dir.path()));

    // Well inside the waiter's 60 s limit, and still not reaped.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker), 20000);
    QCOMPARE(state(), QByteArray("Z"));
    QCOMPARE(::waitpid(old, nullptr, 0), old);
}

QTEST_GUILESS_MAIN(RestartWaiterTest)
#include "tst_restartwaiter.moc"
