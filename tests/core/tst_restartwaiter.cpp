// The restart of the program: the new process starts only once the old one has ended, and
// what it is started with travels as arguments, never as shell text.

#include "platform/system/SystemActions.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

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
    QVERIFY(QProcess::startDetached(shell, command, dir.path()));

    // While the old process lives, nothing starts.
    QTest::qWait(600);
    QVERIFY(!QFileInfo::exists(marker));
    old.kill();
    QVERIFY(old.waitForFinished());

    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker), 10000);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("canary"))));
}

QTEST_GUILESS_MAIN(RestartWaiterTest)
#include "tst_restartwaiter.moc"
