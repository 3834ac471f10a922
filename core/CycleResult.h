#ifndef CORE_CYCLERESULT_H
#define CORE_CYCLERESULT_H

#include <QDateTime>
#include <QList>
#include <QString>

// One evaluated detect stage of one camera, as the run controller and the detection engine
// hand it to the result store.
struct CycleResult
{
    qint32 camera = 0;            // from 0
    qint32 detect = 0;            // detect stage, from 0
    QDateTime roundStart;         // when the mould cycle began
    QDateTime detectStart;        // when this stage was captured
    qint32 result = 0;            // non-zero OK, 0 NG
    // One list per region in region order: [0] tool type (9 = temperature alarm), [1] the
    // measured value, further values as the detection engine gives them.
    QList<QList<int>> roiDetail;
    QList<int> roiResult;         // one per region, non-zero OK, 0 NG
    QString description;
};

#endif
