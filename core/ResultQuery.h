#ifndef CORE_RESULTQUERY_H
#define CORE_RESULTQUERY_H

#include <QDateTime>
#include <QString>

// A time-range query on the result store, handed in by value.
struct ResultQuery
{
    qint32 camera = -1;   // index from 0, -1 for all
    qint32 detect = -1;
    qint32 region = -1;
    quint8 flag = 1;      // carried along, read by nothing here
    QString text;         // carried along, read by nothing here
    QDateTime from;
    QDateTime to;
};

#endif
