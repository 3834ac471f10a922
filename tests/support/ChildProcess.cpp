#include "tests/support/ChildProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

QProcessEnvironment childEnvironment(const QString &runtimeFolder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QDir().mkpath(runtimeFolder);
    QFile::setPermissions(runtimeFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
    const QString lsan = environment.value(QStringLiteral("LSAN_OPTIONS"));
    environment.insert(QStringLiteral("LSAN_OPTIONS"),
                       lsan.isEmpty() ? QStringLiteral("print_suppressions=0")
                                      : lsan + QStringLiteral(":print_suppressions=0"));
    return environment;
}

ChildResult runChild(const QStringList &arguments, const QString &workingFolder,
                     const QString &program)
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.setProcessEnvironment(childEnvironment(workingFolder + QStringLiteral("/.xdg")));
    process.start(program.isEmpty() ? QCoreApplication::applicationFilePath() : program, arguments);
    ChildResult result;
    if (!process.waitForStarted(30000))
        return result;
    process.closeWriteChannel();
    result.finished = process.waitForFinished(120000);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.exitStatus = process.exitStatus();
    result.exitCode = process.exitCode();
    result.standardOutput = process.readAllStandardOutput();
    result.standardError = process.readAllStandardError();
    return result;
}
