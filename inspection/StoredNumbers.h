#ifndef INSPECTION_STOREDNUMBERS_H
#define INSPECTION_STOREDNUMBERS_H

#include <QString>
#include <QTextStream>

#include <climits>

// Numbers of the stored region texts. The texts come from the parameter database and are not
// trusted: a missing, garbled or out-of-range number reads as 0, as a missing one always did.

inline qint64 readStoredWideNumber(QTextStream &in)
{
    QString token;
    in >> token;
    bool ok = false;
    const qint64 value = token.toLongLong(&ok);
    return ok ? value : 0;
}

inline int readStoredNumber(QTextStream &in)
{
    const qint64 value = readStoredWideNumber(in);
    return (value >= INT_MIN && value <= INT_MAX) ? static_cast<int>(value) : 0;
}

#endif
