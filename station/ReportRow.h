#ifndef STATION_REPORTROW_H
#define STATION_REPORTROW_H

#include <QList>
#include <QString>

class CammerSingleton;
struct DetectionResults;

// One row of a camera's report table: a region of the stage just judged with its tool, the two
// limits its tool compares against, the value measured and the verdict.
struct ReportRow
{
    int regionNumber = 0;      // 1-based within its detect stage
    QString toolName;
    double lowerLimit = 0;
    double upperLimit = 0;
    double measuredValue = 0;
    bool resultOk = true;
};

// The rows of every region of a stage of the configuration, from the results the detection
// engine left. The limits by tool: similarity P2 as the lower one; spot detection P2 and P3;
// temperature alarm the low halves of P2 and P3 (signed); every other tool P3 as the upper one.
QList<ReportRow> reportRows(const CammerSingleton &config, const DetectionResults &results,
                            int stage);

#endif
