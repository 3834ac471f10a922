#ifndef TESTS_SUPPORT_CHILDPROCESS_H
#define TESTS_SUPPORT_CHILDPROCESS_H

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What a child process did: how it ended and what it wrote.
struct ChildResult
{
    bool finished = false;
    QProcess::ExitStatus exitStatus = QProcess::NormalExit;
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;

    bool endedNormally(int code = 0) const
    {
        return finished && exitStatus == QProcess::NormalExit && exitCode == code;
    }
};

// The environment for a program a test starts: the offscreen platform, a private runtime
// folder (so Qt does not complain about a missing one) and no list of sanitizer suppressions
// printed at exit, so that its standard error holds only what the program itself wrote.
QProcessEnvironment childEnvironment(const QString &runtimeFolder);

// Runs program (default: this test program again, so that a test can run a behaviour that
// ends the process) with the arguments in the working folder and waits for its end.
ChildResult runChild(const QStringList &arguments, const QString &workingFolder,
                     const QString &program = QString());

#endif
