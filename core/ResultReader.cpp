#include "core/ResultReader.h"

#include "core/ResultDatabase.h"
#include "core/ResultRows.h"
#include "core/TimeStamp.h"

#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString dayStartText = QStringLiteral("00:00:00.000");
const QString dayEndText = QStringLiteral("23:59:59.999");

QString stampText(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

// Series are gathered under a small integer key first and named once at the end.
int seriesSlot(int camera, int detect, int region)
{
    return (camera * ResultDetectCount + detect) * ResultRegionCount + region;
}

SeriesMap namedSeries(QHash<int, QVector<QPointF>> &&gathered)
{
    SeriesMap series;
    for (auto it = gathered.begin(); it != gathered.end(); ++it) {
        const int slot = it.key();
        const int region = slot % ResultRegionCount;
        const int detect = slot / ResultRegionCount % ResultDetectCount;
        const int camera = slot / ResultRegionCount / ResultDetectCount;
        series.insert(seriesKey(camera, detect, region), std::move(it.value()));
    }
    return series;
}

} // namespace

struct ResultReader::Row
{
    QSqlQuery *query;
    qint64 roundStart;
    qint64 detectStart;
    int camera;
    int detect;
};

namespace {

ResultEntry entryOf(const ResultReader::Row &row, int region, int verdict)
{
    ResultEntry entry;
    entry.roundStart = row.roundStart;
    entry.detectStart = row.detectStart;
    entry.result = verdict;
    entry.camera = qint8(row.camera);
    entry.detect = qint8(row.detect);
    entry.region = qint16(region);
    return entry;
}

} // namespace

ResultReader::ResultReader(const QString &connectionBase, const std::atomic_bool *stop)
    : connection(connectionBase), stop(stop)
{
}

template <typename Visit>
bool ResultReader::readFile(const QString &file, const QString &from, const QString &to,
                            int camera, int detect, const QString &columns, Visit visit)
{
    if (camera < -1 || detect < -1)
        return true;   // no such camera or stage: nothing matches
    if (!connection.open(file, true))
        return false;
    bool ok = true;
    {
        QString sql = QStringLiteral("select roundstart, detectstart, idx_camera, idx_detect, ")
                      + columns
                      + QStringLiteral(" from res_report where roundstart >= :from"
                                       " and roundstart <= :to");
        if (detect >= 0)
            sql += QStringLiteral(" and idx_detect = :detect");
        if (camera >= 0)
            sql += QStringLiteral(" and idx_camera = :camera");
        sql += QStringLiteral(" order by idx");

        QSqlQuery query(connection.database());
        query.setForwardOnly(true);
        if (!query.prepare(sql)) {
            // A file without the table holds no rows; that is not a failed open.
            qWarning("cannot read %s: %s", qPrintable(file),
                     qPrintable(query.lastError().text()));
        } else {
            query.bindValue(QStringLiteral(":from"), from);
            query.bindValue(QStringLiteral(":to"), to);
            if (detect >= 0)
                query.bindValue(QStringLiteral(":detect"), detect);
            if (camera >= 0)
                query.bindValue(QStringLiteral(":camera"), camera);
            if (!query.exec()) {
                qWarning("cannot read %s: %s", qPrintable(file),
                         qPrintable(query.lastError().text()));
            }
            while (query.isActive() && query.next()) {
                if (stopRequested()) {
                    ok = false;
                    break;
                }
                Row row{&query, TimeStamp::fromText(query.value(0).toString()),
                        TimeStamp::fromText(query.value(1).toString()), query.value(2).toInt(),
                        query.value(3).toInt()};
                // A row with a garbled time or an index out of range contributes nothing.
                if (row.roundStart < 0 || row.detectStart < 0 || row.camera < 0
                    || row.camera >= ResultCameraCount || row.detect < 0
                    || row.detect >= ResultDetectCount)
                    continue;
                visit(row);
            }
        }
    }
    connection.close();
    return ok;
}

template <typename Visit>
bool ResultReader::walkDays(const ResultQuery &query, const QDate &today,
                            const QString &columns, Visit visit)
{
    if (!query.from.isValid() || !query.to.isValid())
        return true;
    for (QDateTime start = query.from; start <= query.to;
         start = QDateTime(start.date().addDays(1), QTime(0, 0))) {
        const QDate day = start.date();
        const QString from = stampText(start);
        const QString to = day == query.to.date()
                               ? stampText(query.to)
                               : day.toString(QStringLiteral("yyyy-MM-dd ")) + dayEndText;
        const QStringList files = resultDayFiles(day, today);
        for (const QString &file : files) {
            if (!readFile(file, from, to, query.camera, query.detect, columns, visit))
                return false;
        }
    }
    return true;
}

bool ResultReader::readToday(const QDate &today, ResultMap &results, SeriesMap &series)
{
    const QString file = QString::fromLatin1(resultDatabaseFile);
    if (!QFileInfo::exists(file))
        return true;
    const QString date = today.toString(QStringLiteral("yyyy-MM-dd "));
    QHash<int, QVector<QPointF>> gathered;
    LocalTimeCache clock;
    QVector<int> detail, offsets, verdicts;
    const bool ok = readFile(
        file, date + dayStartText, date + dayEndText, -1, -1,
        QStringLiteral("roi_detail, roi_result"), [&](const Row &row) {
            if (!parseRoiDetail(row.query->value(4).toString(), detail, offsets))
                offsets.clear();
            if (!parseRoiResult(row.query->value(5).toString(), verdicts))
                verdicts.clear();
            // Walked side by side up to the shorter list, as the live path walks them.
            const int regions = qMin(qMin(offsets.size() - 1, verdicts.size()),
                                     ResultRegionCount);
            const double seconds = double(clock.toMSecsSinceEpoch(row.detectStart) / 1000);
            int position = -1;
            for (int r = 0; r < regions; ++r) {
                const int begin = offsets.at(r);
                if (offsets.at(r + 1) - begin >= 2 && detail.at(begin) == TemperatureToolType)
                    gathered[seriesSlot(row.camera, row.detect, r)].append(
                        QPointF(seconds, detail.at(begin + 1)));
                results.insertIfMissing(entryOf(row, r, verdicts.at(r)), position);
            }
        });
    series = namedSeries(std::move(gathered));
    return ok;
}

bool ResultReader::readResults(const ResultQuery &query, const QDate &today, ResultMap &results)
{
    QVector<int> verdicts;
    return walkDays(query, today, QStringLiteral("roi_result"), [&](const Row &row) {
        if (!parseRoiResult(row.query->value(4).toString(), verdicts))
            return;
        const int regions = qMin(verdicts.size(), ResultRegionCount);
        int position = -1;
        for (int r = 0; r < regions; ++r)
            results.insertOrReplace(entryOf(row, r, verdicts.at(r)), position);
    });
}

bool ResultReader::readSeries(const ResultQuery &query, const QDate &today, SeriesMap &series)
{
    QHash<int, QVector<QPointF>> gathered;
    LocalTimeCache clock;
    QVector<int> detail, offsets;
    const bool ok = walkDays(query, today, QStringLiteral("roi_detail"), [&](const Row &row) {
        if (!parseRoiDetail(row.query->value(4).toString(), detail, offsets))
            return;
        const int regions = qMin(offsets.size() - 1, ResultRegionCount);
        const double seconds = double(clock.toMSecsSinceEpoch(row.detectStart) / 1000);
        for (int r = 0; r < regions; ++r) {
            if (query.region != -1 && query.region != r)
                continue;
            const int begin = offsets.at(r);
            if (offsets.at(r + 1) - begin >= 2 && detail.at(begin) == TemperatureToolType)
                gathered[seriesSlot(row.camera, row.detect, r)].append(
                    QPointF(seconds, detail.at(begin + 1)));
        }
    });
    series = namedSeries(std::move(gathered));
    return ok;
}
