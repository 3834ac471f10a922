#ifndef TESTS_SUPPORT_TESTFILES_H
#define TESTS_SUPPORT_TESTFILES_H

#include <QByteArray>
#include <QString>

// Files a test prepares and looks at.
namespace TestFiles {

// Writes the bytes to the path, making its folder first; false when any of it fails.
bool write(const QString &path, const QByteArray &contents);
// The bytes of the file; empty when it cannot be read.
QByteArray read(const QString &path);

} // namespace TestFiles

#endif
