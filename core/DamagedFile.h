#ifndef CORE_DAMAGEDFILE_H
#define CORE_DAMAGEDFILE_H

#include <QString>

// Files found damaged are never deleted and never written over: they are moved aside, beside
// where they were, under a dated name, so that what they hold can still be recovered by hand.

// True when SQLite finds the file is no database or is malformed (header, pages or indices).
// False for a missing file, an empty one (a valid empty database) and for files that cannot be
// checked for other reasons (locked, no permission); reason then tells why when given.
bool isDamagedDatabase(const QString &fileName, QString *reason = nullptr);

// Renames the file to "<name>-damaged-<yyyyMMdd-hhmmss>.<suffix>" in its folder ("-<n>" added
// when that name is taken), together with the journal files SQLite keeps beside a database, so
// that a left-over journal is never applied to the file that takes its place. Returns the new
// path; empty (logged) when the file could not be moved.
QString moveDamagedFileAside(const QString &fileName);

// Checks a database file and moves it aside when it is damaged (logged as critical with the
// reason). Returns the path it now has; empty when it was not damaged or could not be moved.
QString setAsideDamagedDatabase(const QString &fileName);

// Copies a damaged file of any kind aside under the dated name and leaves it in place (its
// readable parts are still used). Returns the copy's path; empty (logged) on failure.
QString copyDamagedFileAside(const QString &fileName);

#endif
