#include "settings/UpdatePackage.h"

#include "platform/system/SystemActions.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

struct Kind
{
    const char *inName;
    const char *target;
    QByteArray magic;
};

const Kind kinds[] = {
    {".tar.gz", "newupdate.tar.gz", QByteArray("\x1f\x8b", 2)},
    {".tar.xz", "newupdate.tar.xz", QByteArray("\xfd" "7zXZ\x00", 6)},
    {".rar", "newupdate.rar", QByteArray("Rar!\x1a\x07", 6)},
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

} // namespace

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
    QFile file(path);
    if (!source.isFile() || !file.open(QIODevice::ReadOnly)
        || file.read(kind->magic.size()) != kind->magic) {
        qWarning("%s is not a %s package", qPrintable(path), kind->inName);
        return PackageTakeOver::WrongKind;
    }
    file.close();
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
