#ifndef CORE_ATOMICFILE_H
#define CORE_ATOMICFILE_H

#include <QByteArray>
#include <QString>

// Replaces a file with new contents so that it survives a power cut and a full disk: the
// contents go to a temporary file beside it, which is renamed over the old one only after
// every byte was written and flushed. On any failure the old file stays as it was.
//
// QSaveFile alone is not enough: when the final flush fails (no space left on the device)
// its commit() still renames the short temporary file over the good one, so every write is
// flushed and checked before the commit here.
//
// A failure is logged once per file until a write of that file succeeds again. Safe on any
// thread.
bool writeFileAtomically(const QString &fileName, const QByteArray &contents);

#endif
