#include "statistics/StatisticsData.h"

#include "core/AtomicFile.h"
#include "core/Clock.h"
#include "core/ResultDatabase.h"
#include "core/SmallTextFile.h"
#include "core/TemperatureChartData.h"
#include "core/TimeStamp.h"
#include "platform/system/SystemActions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QVector>

#include <limits>

namespace {

const char dayStartFile[] = "restime.txt";
constexpr int AllIndex = 8;   // "C8_..." all cameras, "..._D8" all stages

QString nodeName(int camera, int stage)
{
    return QStringLiteral("C%1_D%2").arg(camera).arg(stage);
}

template <typename Tree>
auto &node(Tree &tree, int camera, int stage)
{
    auto &group = camera == AllIndex ? tree.all : tree.cameras[size_t(camera)];
    return stage == AllIndex ? group.total : group.stages[size_t(stage)];
}

// The rows in use, in the order they are read and written: each camera's stages and its
// total, then each stage over all cameras and the grand total.
QVector<QPair<int, int>> rowsInUse(int cameras, int stages)
{
    QVector<QPair<int, int>> rows;
    for (int c = 0; c < cameras; ++c) {
        for (int d = 0; d < stages; ++d)
            rows.append({c, d});
        rows.append({c, AllIndex});
    }
    for (int d = 0; d < stages; ++d)
        rows.append({AllIndex, d});
    rows.append({AllIndex, AllIndex});
    return rows;
}

// "n n n ... " : every count followed by one blank.
QString hourText(const std::array<qint32, CountHours> &counts)
{
    QString text;
    text.reserve(CountHours * 4);
    for (qint32 count : counts) {
        text += QString::number(count);
        text += QLatin1Char(' ');
    }
    return text;
}

// At most 24 blank-separated numbers; from the first token that is not a number on,
// everything reads 0.
void readHours(const QString &text, std::array<qint32, CountHours> &counts)
{
    counts.fill(0);
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList tokens = text.split(blanks, Qt::SkipEmptyParts);
    const int n = qMin(int(tokens.size()), CountHours);
    for (int h = 0; h < n; ++h) {
        bool ok = false;
        const qint32 value = tokens.at(h).toInt(&ok);
        if (!ok)
            return;
        counts[size_t(h)] = value;
    }
}

void addRecord(CountRecord &target, const CountRecord &source)
{
    for (int h = 0; h < CountHours; ++h) {
        target.okByHour[size_t(h)] += source.okByHour[size_t(h)];
        target.ngByHour[size_t(h)] += source.ngByHour[size_t(h)];
    }
}

quint32 eightOClock(const QDate &date)
{
    return quint32(QDateTime(date, QTime(8, 0)).toSecsSinceEpoch());
}

} // namespace

StatisticsData::StatisticsData(int cameraCount, int detectsPerCamera,
                               TemperatureChartData *resultStore,
                               std::function<void()> showOpenFailure)
    : database(QStringLiteral("dbResStatistics")),
      cameras(qBound(0, cameraCount, CountCameras)),
      stages(qBound(0, detectsPerCamera, CountStages)),
      results(resultStore)
{
    // A damaged file is set aside and a new one started: a restart could not mend it, so
    // the operator is told and the station goes on.
    replaceDamagedResultDatabase();
    if (!QFileInfo::exists(QString::fromLatin1(resultDatabaseFile)))
        CreateResultDatabase();
    const QString replaced = showOpenFailure ? takeReplacedResultDatabase() : QString();
    if (!OpenDatabase()) {
        qCritical("production counts: %s cannot be opened; the counts are kept in memory",
                  resultDatabaseFile);
        if (showOpenFailure)
            showOpenFailure();
    } else {
        treeLoaded = LoadCounts(liveTree);
        if (!replaced.isEmpty())
            showOpenFailure();
    }
    database.close();
    LoadDayStart();
}

bool StatisticsData::OpenDatabase()
{
    if (database.isOpen())
        return true;
    if (!database.open(QString::fromLatin1(resultDatabaseFile)))
        return false;
    QSqlDatabase db = database.database();
    return ensureResultTables(db);
}

bool StatisticsData::IsInUse(int camera, int stage) const
{
    return camera >= 0 && camera < cameras && stage >= 0 && stage < stages;
}

bool StatisticsData::AddResult(int hour, bool ok, int camera, int stage)
{
    if (hour < 0 || hour >= CountHours || !IsInUse(camera, stage)) {
        qWarning("verdict of camera %d, stage %d, hour %d not counted", camera, stage, hour);
        return false;
    }
    CheckDay();
    CountRecord &leaf = liveTree.cameras[size_t(camera)].stages[size_t(stage)];
    ++(ok ? leaf.okByHour : leaf.ngByHour)[size_t(hour)];
    Aggregate();
    return EnsureLoaded() && SaveAll(liveTree);
}

bool StatisticsData::EnsureLoaded()
{
    if (treeLoaded)
        return true;
    // The stored counts could not be read before; what was counted since is added to them.
    if (!OpenDatabase())
        return false;
    CountTree stored;
    if (!LoadCounts(stored))
        return false;
    for (int c = 0; c < CountCameras; ++c) {
        for (int d = 0; d < CountStages; ++d)
            addRecord(stored.cameras[size_t(c)].stages[size_t(d)],
                      liveTree.cameras[size_t(c)].stages[size_t(d)]);
    }
    liveTree = stored;
    Aggregate();
    treeLoaded = true;
    return true;
}

bool StatisticsData::LoadCounts(CountTree &tree)
{
    tree.reset();
    if (!OpenDatabase())
        return false;
    QSqlQuery query(database.database());
    if (!query.prepare(QStringLiteral("select value1, value2 from resstatistics where name = ?"))) {
        qWarning("production counts cannot be read: %s", qPrintable(query.lastError().text()));
        return false;
    }
    const QVector<QPair<int, int>> rows = rowsInUse(cameras, stages);
    for (const auto &row : rows) {
        query.addBindValue(nodeName(row.first, row.second));
        if (!query.exec()) {
            qWarning("production counts cannot be read: %s",
                     qPrintable(query.lastError().text()));
            return false;
        }
        if (query.next()) {
            CountRecord &record = node(tree, row.first, row.second);
            readHours(query.value(0).toString(), record.okByHour);
            readHours(query.value(1).toString(), record.ngByHour);
        }
        query.finish();
    }
    return true;
}

bool StatisticsData::SaveAll(const CountTree &tree)
{
    if (!treeLoaded) {
        saveFailures.failed(QStringLiteral("the stored counts were never loaded"));
        return false;
    }
    if (!OpenDatabase()) {
        saveFailures.failed(QStringLiteral("%1 cannot be opened").arg(resultDatabaseFile));
        return false;
    }
    QSqlDatabase db = database.database();
    if (!db.transaction()) {
        saveFailures.failed(db.lastError().text());
        return false;
    }
    QString failure;
    {
        QSqlQuery update(db);
        QSqlQuery insert(db);
        bool ok = update.prepare(QStringLiteral(
                      "update resstatistics set value1 = ?, value2 = ? where name = ?"))
                  && insert.prepare(QStringLiteral(
                      "insert into resstatistics (name, value1, value2) values (?, ?, ?)"));
        const QVector<QPair<int, int>> rows = rowsInUse(cameras, stages);
        for (int i = 0; ok && i < rows.size(); ++i) {
            const QString name = nodeName(rows.at(i).first, rows.at(i).second);
            const CountRecord &record = node(tree, rows.at(i).first, rows.at(i).second);
            const QString ok1 = hourText(record.okByHour);
            const QString ng1 = hourText(record.ngByHour);
            update.addBindValue(ok1);
            update.addBindValue(ng1);
            update.addBindValue(name);
            ok = update.exec();
            // A file made by an older program version, or a new day, lacks the row.
            if (ok && update.numRowsAffected() == 0) {
                insert.addBindValue(name);
                insert.addBindValue(ok1);
                insert.addBindValue(ng1);
                ok = insert.exec();
            }
        }
        if (!ok)
            failure = (update.lastError().isValid() ? update.lastError() : insert.lastError())
                          .text();
    }
    if (failure.isNull() && !db.commit())
        failure = db.lastError().text();
    if (!failure.isNull()) {
        db.rollback();
        // Kept in memory; the next verdict saves them with its own.
        saveFailures.failed(failure);
        return false;
    }
    saveFailures.succeeded();
    return true;
}

void StatisticsData::Aggregate()
{
    for (int h = 0; h < CountHours; ++h) {
        const size_t hour = size_t(h);
        CountGroup &all = liveTree.all;
        all.total.okByHour[hour] = 0;
        all.total.ngByHour[hour] = 0;
        for (int d = 0; d < CountStages; ++d) {
            CountRecord &stageSum = all.stages[size_t(d)];
            stageSum.okByHour[hour] = 0;
            stageSum.ngByHour[hour] = 0;
            for (const CountGroup &camera : liveTree.cameras) {
                stageSum.okByHour[hour] += camera.stages[size_t(d)].okByHour[hour];
                stageSum.ngByHour[hour] += camera.stages[size_t(d)].ngByHour[hour];
            }
            all.total.okByHour[hour] += stageSum.okByHour[hour];
            all.total.ngByHour[hour] += stageSum.ngByHour[hour];
        }
        for (CountGroup &camera : liveTree.cameras) {
            camera.total.okByHour[hour] = 0;
            camera.total.ngByHour[hour] = 0;
            for (const CountRecord &stage : camera.stages) {
                camera.total.okByHour[hour] += stage.okByHour[hour];
                camera.total.ngByHour[hour] += stage.ngByHour[hour];
            }
        }
    }
}

void StatisticsData::CheckDay()
{
    const QDate today = wallClock()->now().date();
    const QDate day = QDateTime::fromSecsSinceEpoch(dayStartSeconds).date();
    if (day == today)
        return;
    // Either direction: a clock set back by a day starts a new day too.
    RollOverDay(day.toString(QStringLiteral("yyyy-MM-dd")));
    dayStartSeconds = eightOClock(today);
    WriteDayStart();
}

bool StatisticsData::RollOverDay(const QString &endedDate)
{
    database.close();
    const QDate date = QDate::fromString(endedDate, QStringLiteral("yyyy-MM-dd"));
    const QString folder = QDir(QString::fromLatin1(resultArchiveFolder)).absolutePath();
    QDir().mkpath(folder);
    // The clock can be set back, so a date can end twice: the later file gets a free name.
    const QString archive = date.isValid()
                                ? freeArchivePath(folder, date)
                                : QDir(folder).absoluteFilePath(endedDate + QStringLiteral(".db"));
    qInfo("%s", qPrintable(archive));
    if (!systemActions()->moveFile(QString::fromLatin1(resultDatabaseFile), archive)) {
        qInfo("fail rename");
        return false;
    }
    qInfo("rename %s.db success", qPrintable(endedDate));
    CreateResultDatabase();
    liveTree.reset();
    treeLoaded = true;   // the new file starts from zero
    if (results) {
        results->ClearTodayResults();
        results->ClearTodaySeries();
    }
    return true;
}

bool StatisticsData::CreateResultDatabase()
{
    SqlConnection create(QStringLiteral("createResDB"));
    if (!create.open(QString::fromLatin1(resultDatabaseFile)))
        return false;
    QSqlDatabase db = create.database();
    return ensureResultTables(db);
}

void StatisticsData::LoadDayStart()
{
    QByteArray text;
    if (readSmallFile(QString::fromLatin1(dayStartFile), 32, &text)) {
        quint64 value = 0;
        if (parseBoundedNumber(text, std::numeric_limits<quint32>::max(), &value)) {
            dayStartSeconds = quint32(value);
            return;
        }
        qWarning("%s is garbled (\"%s\"); the statistics day is taken from the stored rows",
                 dayStartFile, qPrintable(logSample(text)));
    }
    // A missing or garbled file: the day is the one whose rows the file holds.
    QDate day = DateOfStoredRows();
    if (!day.isValid())
        day = wallClock()->now().date();
    dayStartSeconds = eightOClock(day);
    WriteDayStart();
}

QDate StatisticsData::DateOfStoredRows()
{
    QDate day;
    if (!OpenDatabase())
        return day;
    {
        QSqlQuery query(database.database());
        if (query.exec(QStringLiteral("select min(roundstart) from res_report"
                                      " where roundstart like '____-__-__ __:__:__.___'"))
            && query.next()) {
            const qint64 stamp = TimeStamp::fromText(query.value(0).toString());
            if (stamp >= 0)
                day = TimeStamp::toDateTime(stamp).date();
        }
    }
    database.close();
    return day;
}

bool StatisticsData::WriteDayStart()
{
    // Written whole or not at all: an empty file after a power cut or a full disk would
    // archive the day under the wrong date.
    return writeFileAtomically(QString::fromLatin1(dayStartFile),
                               QByteArray::number(dayStartSeconds));
}
