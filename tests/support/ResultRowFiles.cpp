#include "tests/support/ResultRowFiles.h"

#include "core/ResultDatabase.h"
#include "core/ResultRows.h"
#include "core/SqlConnection.h"

#include <QSqlQuery>
#include <QVariant>

namespace {

const QString timeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");

} // namespace

CycleResult makeCycle(int camera, int detect, const QDateTime &roundStart,
                      const QDateTime &detectStart, const QList<int> &verdicts, int temperature)
{
    CycleResult cycle;
    cycle.camera = camera;
    cycle.detect = detect;
    cycle.roundStart = roundStart;
    cycle.detectStart = detectStart;
    cycle.roiResult = verdicts;
    cycle.result = verdicts.contains(0) ? 0 : 1;
    for (int r = 0; r < verdicts.size(); ++r) {
        if (r == 0 && temperature >= 0)
            cycle.roiDetail.append({9, temperature, 0, 800});
        else
            cycle.roiDetail.append({0, 100 + r, 0, 800});
    }
    return cycle;
}

bool writeResultRows(const QString &file, const QList<CycleResult> &cycles)
{
    SqlConnection connection(QStringLiteral("testRows"));
    if (!connection.open(file))
        return false;
    QSqlDatabase db = connection.database();
    if (!ensureResultTables(db) || !db.transaction())
        return false;
    bool ok = true;
    {
        QSqlQuery insert(db);
        ok = insert.prepare(QStringLiteral(
            "INSERT INTO res_report (roundstart, detectstart, idx_camera, idx_detect,"
            " roi_detail, roi_result, result, description) values (?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const CycleResult &cycle : cycles) {
            insert.addBindValue(cycle.roundStart.toString(timeFormat));
            insert.addBindValue(cycle.detectStart.toString(timeFormat));
            insert.addBindValue(cycle.camera);
            insert.addBindValue(cycle.detect);
            insert.addBindValue(roiDetailJson(cycle.roiDetail));
            insert.addBindValue(roiResultJson(cycle.roiResult));
            insert.addBindValue(cycle.result);
            insert.addBindValue(cycle.description.isNull() ? QStringLiteral("") : cycle.description);
            ok = ok && insert.exec();
        }
    }
    return db.commit() && ok;
}

QList<StoredRow> readResultRows(const QString &file)
{
    QList<StoredRow> rows;
    SqlConnection connection(QStringLiteral("testRows"));
    if (!connection.open(file, true))
        return rows;
    QSqlQuery query(connection.database());
    if (!query.exec(QStringLiteral(
            "select roundstart, detectstart, idx_camera, idx_detect, roi_detail, roi_result,"
            " result, description from res_report order by idx")))
        return rows;
    while (query.next()) {
        rows.append(StoredRow{query.value(0).toString(), query.value(1).toString(),
                              query.value(2).toInt(), query.value(3).toInt(),
                              query.value(4).toString(), query.value(5).toString(),
                              query.value(6).toInt(), query.value(7).toString()});
    }
    return rows;
}

QList<QStringList> readCountRows(const QString &file)
{
    QList<QStringList> rows;
    SqlConnection connection(QStringLiteral("testCounts"));
    if (!connection.open(file, true))
        return rows;
    QSqlQuery query(connection.database());
    if (!query.exec(QStringLiteral("select name, value1, value2 from resstatistics order by name")))
        return rows;
    while (query.next())
        rows.append({query.value(0).toString(), query.value(1).toString(),
                     query.value(2).toString()});
    return rows;
}

DayFileLock::DayFileLock(const QString &file)
    : connection(QStringLiteral("dayFileLock"))
{
    if (!connection.open(file))
        return;
    query = std::make_unique<QSqlQuery>(connection.database());
    held = query->exec(QStringLiteral("BEGIN EXCLUSIVE"));
}

DayFileLock::~DayFileLock()
{
    release();
    query.reset();
}

bool DayFileLock::release()
{
    if (!held)
        return false;
    held = false;
    return query->exec(QStringLiteral("ROLLBACK"));
}
