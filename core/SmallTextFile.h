#ifndef CORE_SMALLTEXTFILE_H
#define CORE_SMALLTEXTFILE_H

#include <QByteArray>
#include <QString>

// The small text files the program keeps beside its databases ("count.txt", "sysadd.txt",
// "restime.txt", "time.txt") hold a few numbers or a date. After a power cut or a full disk
// they may hold anything, of any length, so they are read with a bound and each value is
// checked before it is used.

// Reads the file, at most maxBytes of it. False when it cannot be opened. *cutShort (when
// given) tells whether the file was longer than maxBytes.
bool readSmallFile(const QString &fileName, int maxBytes, QByteArray *contents,
                   bool *cutShort = nullptr);

// A decimal number of digits only (no sign, no blank) not above max; false for anything else,
// *value untouched.
bool parseBoundedNumber(const QByteArray &word, quint64 max, quint64 *value);

// At most the first 20 characters of a word, for a log line about a value that was refused.
QString logSample(const QByteArray &word);

#endif
