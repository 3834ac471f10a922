#ifndef CORE_RESULTROWS_H
#define CORE_RESULTROWS_H

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringView>
#include <QVector>

// Text forms of the result rows in table res_report and the keys of the result store's maps.

// Compact JSON of the roi_detail column: "[[0,121,0,800],[1,121,0,1600]]".
QString roiDetailJson(const QList<QList<int>> &detail);
// Compact JSON of the roi_result column: "[0,1]".
QString roiResultJson(const QList<int> &results);

// "C:%1_D:%2_F:%3": camera, detect stage and region, all from 0.
QString seriesKey(int camera, int detect, int region);
// "T:%1_C:%2_D:%3_F:%4" with the time as "yyyy-MM-dd hh:mm:ss.zzz".
QString resultKey(const QDateTime &time, int camera, int detect, int region);

// Reads a JSON array of integers ("[0,1]"). Returns false, with values emptied, for text that
// is not such an array; numbers written with a fraction are truncated.
bool parseRoiResult(QStringView text, QVector<int> &values);

// Reads a JSON array of integer arrays. Element i has values[offsets[i]] up to (not including)
// values[offsets[i + 1]]; offsets holds one more entry than there are elements. Returns false,
// with both emptied, for text that is not such an array. The buffers are reused between rows.
bool parseRoiDetail(QStringView text, QVector<int> &values, QVector<int> &offsets);

#endif
