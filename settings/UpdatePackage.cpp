#include "settings/UpdatePackage.h"

#include "platform/system/SystemActions.h"
#include "settings/MaintenanceLocations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

struct Kind
{
    const char *inName;
    const char *target;
};

const Kind kinds[] = {
    {".tar.gz", "newupdate.tar.gz"},
    {".tar.xz", "newupdate.tar.xz"},
    {".rar", "newupdate.rar"},
};

const Kind *kindOf(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return nullptr;
    const QString name = parts.last();
    for (const Kind &kind : kinds)
        if (name.contains(QLatin1String(kind.inName)))
            return &kind;
    return nullptr;
}

// The path names a file below the stick's folder, and no link on the way (the file's own
// name included) leads anywhere else: a stick prepared by someone else may hold links to the
// machine's own files.
bool liesOnStick(const QString &path)
{
    const QString stick = QDir::cleanPath(QFileInfo(maintenanceLocations().usbFolder).absoluteFilePath());
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!file.startsWith(stick + QLatin1Char('/')) || QFileInfo(file).isSymLink())
        return false;
    const QString resolved = QFileInfo(file).canonicalFilePath();
    const QString stickResolved = QFileInfo(stick).canonicalFilePath();
    return !stickResolved.isEmpty()
           && resolved == QDir(stickResolved).filePath(QDir(stick).relativeFilePath(file));
}

} // namespace

bool hasPackageSignature(const QString &path, const QString &extension)
{
    struct Signature
    {
        const char *extension;
        qint64 offset;
        QByteArray bytes;
    };
    static const Signature signatures[] = {
        {".gz", 0, QByteArray("\x1f\x8b", 2)},
        {".xz", 0, QByteArray("\xfd" "7zXZ\x00", 6)},
        {".rar", 0, QByteArray("Rar!\x1a\x07", 6)},
        // The magic of a POSIX tar header.
        {".tar", 257, QByteArray("ustar", 5)},
    };
    for (const Signature &signature : signatures) {
        if (!extension.endsWith(QLatin1String(signature.extension)))
            continue;
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.seek(signature.offset)
               && file.read(signature.bytes.size()) == signature.bytes;
    }
    return false;
}

QString updatePackageTarget(const QString &path)
{
    const Kind *kind = kindOf(path);
    return kind ? QString::fromLatin1(kind->target) : QString();
}

PackageTakeOver takeOverUpdatePackage(const QString &path, QString *target)
{
    const Kind *kind = kindOf(path);
    if (!kind) {
        qWarning("%s is no update package by its name", qPrintable(path));
        return PackageTakeOver::NotAPackage;
    }
    const QString destination = QString::fromLatin1(kind->target);
    if (target)
        *target = destination;
    const QFileInfo source(path);
    if (!liesOnStick(path)) {
        qWarning("%s is no file of its own on the stick %s (a link, or a path leading off it)",
                 qPrintable(path), qPrintable(maintenanceLocations().usbFolder));
        return PackageTakeOver::WrongKind;
    }
    if (!source.isFile() || !hasPackageSignature(path, QLatin1String(kind->inName))) {
        qWarning("%s is not a %s package", qPrintable(path), kind->inName);
        return PackageTakeOver::WrongKind;
    }
    if (!systemActions()->copyFile(path, destination)
        || QFileInfo(destination).size() != source.size()) {
        qWarning("update package %s could not be copied to %s", qPrintable(path),
                 qPrintable(destination));
        // A short copy must not be taken for a package at the next start.
        systemActions()->removeFile(destination);
        return PackageTakeOver::CopyFailed;
    }
    systemActions()->syncDisks();
    return PackageTakeOver::Copied;
}
