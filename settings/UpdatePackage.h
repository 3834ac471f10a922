#ifndef SETTINGS_UPDATEPACKAGE_H
#define SETTINGS_UPDATEPACKAGE_H

#include <QString>

// Taking over a software package chosen on the USB stick: it is copied into the working
// directory as "newupdate.tar.gz", "newupdate.tar.xz" or "newupdate.rar", which the machine
// unpacks at its next start.

// The name the package is kept under, chosen from the file name (its last path part) by a
// case-sensitive search in this order: ".tar.gz", ".tar.xz", ".rar". Empty when none occurs.
QString updatePackageTarget(const QString &path);

// Whether the file's first bytes show the kind of archive its extension names: gzip for
// ".gz" (".tar.gz" too), xz for ".xz", RAR for ".rar", a POSIX tar header for ".tar".
bool hasPackageSignature(const QString &path, const QString &extension);

enum class PackageTakeOver { Copied, NotAPackage, WrongKind, CopyFailed };

// Copies the chosen file to its target in the working directory, unless it is no regular file
// of its own on the USB stick (maintenanceLocations().usbFolder; a link, or a path through a
// link, is refused as WrongKind) or its first bytes do not show the kind its name promises
// (gzip, xz, RAR). The copy is read
// back and compared with the original in size. The target's name goes to *target.
PackageTakeOver takeOverUpdatePackage(const QString &path, QString *target = nullptr);

#endif
