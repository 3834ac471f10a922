#include "core/TemperatureChartData.h"

#include "core/Clock.h"
#include "core/ResultDatabase.h"
#include "core/ResultRows.h"
#include "core/SqlConnection.h"
#include "core/TimeStamp.h"
#include "core/dataThread.h"
#include "platform/system/SystemActions.h"

#include <QDir>
#include <QMutexLocker>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QtConcurrent>

#include <limits>

namespace {

const char exportProgram[] = "./cnt_net/export_temperature/temperature_export.exe";
const char timedRecordText[] = "Regular recording";
const char timeFormat[] = "yyyy-MM-dd hh:mm:ss.zzz";

// Bound values must not be null strings: the text columns are NOT NULL.
QString nonNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

TemperatureChartData *processStore = nullptr;

} // namespace

TemperatureChartData *TemperatureChartData::instance()
{
    if (!processStore)
        processStore = new TemperatureChartData();
    return processStore;
}

TemperatureChartData::TemperatureChartData(QObject *parent)
    : QObject(parent)
{
    recordTimer.setParent(this);
    retryTimer.setParent(this);
    retryTimer.setSingleShot(true);
    retryTimer.setInterval(RetryMs);
    connect(&retryTimer, &QTimer::timeout, this, [this] { FlushPending(); });
}

TemperatureChartData::~TemperatureChartData()
{
    stopping.store(true);
    cancelRead.store(true);
    startupRead.waitForFinished();
    if (readFinished.load())
        FlushPending();
    if (readerThread)
        readerThread->wait();
    const QList<QProcess *> processes = findChildren<QProcess *>();
    for (QProcess *process : processes) {
        process->disconnect(this);
        process->kill();
        process->waitForFinished(3000);
    }
}

bool TemperatureChartData::Init()
{
    if (initialised)
        return readFinished.load();
    initialised = true;
    readerThread = new dataThread(this, this);

    // A damaged file is set aside before anything reads it; the first user of the file
    // creates it with both tables, whoever that is.
    replaceDamagedResultDatabase();
    {
        SqlConnection check(QStringLiteral("ResDB"));
        if (!check.open(QString::fromLatin1(resultDatabaseFile))) {
            qCritical("result database %s cannot be opened: rows are held back",
                      resultDatabaseFile);
            return false;
        }
        QSqlDatabase db = check.database();
        ensureResultTables(db);
    }

    const QDate today = wallClock()->now().date();
    ResultQuery day;
    day.from = QDateTime(today, QTime(0, 0));
    day.to = QDateTime(today, QTime(23, 59, 59, 999));
    SetQuery(day);
    ResetDayAxis();

    startupRead = QtConcurrent::run([this, today] { LoadToday(today); });
    connect(&recordTimer, &QTimer::timeout, this, [this] { recordFlag = true; });
    return true;
}

void TemperatureChartData::LoadToday(const QDate &today)
{
    quint64 generation = 0;
    {
        QMutexLocker locker(&resultStoreMutex);
        generation = clearGeneration;
    }
    ResultMap results(ResultMap::RoundStartKey);
    SeriesMap series;
    ResultReader reader(QStringLiteral("ResLoadDB"), &stopping);
    reader.readToday(today, results, series);
    {
        QMutexLocker locker(&resultStoreMutex);
        // A roll-over while reading dropped the day this read belongs to.
        if (generation == clearGeneration) {
            // Stored rows are older than every live one, so they come first and win.
            todayResultMap.mergeReplacing(std::move(results));
            for (auto it = series.begin(); it != series.end(); ++it) {
                QVector<QPointF> &points = todaySeriesMap[it.key()];
                points = it.value() + points;
            }
        }
    }
    qInfo("finish read");
    readFinished.store(true);
    // Rows that waited for the read are written now, not only with the next cycle.
    QMetaObject::invokeMethod(this, [this] { FlushPending(); }, Qt::QueuedConnection);
}

void TemperatureChartData::SetCurrentCycle(const CycleResult &record)
{
    QMutexLocker locker(&resultStoreMutex);
    cycle = record;
}

CycleResult TemperatureChartData::currentCycle() const
{
    QMutexLocker locker(&resultStoreMutex);
    return cycle;
}

void TemperatureChartData::AppendCycleData()
{
    QMutexLocker locker(&resultStoreMutex);
    if (cycle.camera < 0 || cycle.camera >= ResultCameraCount || cycle.detect < 0
        || cycle.detect >= ResultDetectCount) {
        qWarning("result of camera %d, stage %d ignored", cycle.camera, cycle.detect);
        return;
    }
    const int regions = qMin(qMin(cycle.roiDetail.size(), cycle.roiResult.size()),
                             ResultRegionCount);
    const qint64 roundStart = TimeStamp::fromDateTime(cycle.roundStart);
    const qint64 detectStart = TimeStamp::fromDateTime(cycle.detectStart);
    const double seconds = double(cycle.detectStart.toSecsSinceEpoch());
    for (int r = 0; r < regions; ++r) {
        const QList<int> &detail = cycle.roiDetail.at(r);
        if (detail.size() >= 2 && detail.at(0) == TemperatureToolType && detectStart >= 0) {
            const QString key = seriesKey(cycle.camera, cycle.detect, r);
            const QPointF point(seconds, detail.at(1));
            todaySeriesMap[key].append(point);
            if (liveCollecting)
                liveSeriesMap[key].append(point);
        }
        if (roundStart < 0)
            continue;
        ResultEntry entry;
        entry.roundStart = roundStart;
        entry.detectStart = detectStart;
        entry.result = cycle.roiResult.at(r);
        entry.camera = qint8(cycle.camera);
        entry.detect = qint8(cycle.detect);
        entry.region = qint16(r);
        todayResultMap.insertIfMissing(entry);
    }
}

bool TemperatureChartData::InsertResult()
{
    PendingRow row;
    {
        QMutexLocker locker(&resultStoreMutex);
        // A timed record marks one row per interval; with an interval of 0 every row.
        cycle.description = recordFlag ? QString::fromLatin1(timedRecordText) : QString();
        if (recordMinutes != 0)
            recordFlag = false;
        row = PendingRow{cycle.roundStart.toString(QLatin1String(timeFormat)),
                         cycle.detectStart.toString(QLatin1String(timeFormat)),
                         cycle.camera,
                         cycle.detect,
                         roiDetailJson(cycle.roiDetail),
                         roiResultJson(cycle.roiResult),
                         cycle.result,
                         cycle.description};
    }
    bool kept = true;
    pendingInserts.append(row);
    if (pendingInserts.size() > MaxPendingRows) {
        pendingInserts.removeFirst();
        if (droppedRows++ % 1000 == 0)
            qCritical("result database unavailable: %lld result rows dropped so far",
                      droppedRows);
        kept = false;
    }
    if (!readFinished.load())
        return kept;
    return FlushPending() && kept;
}

bool TemperatureChartData::WritePendingRows()
{
    return readFinished.load() && FlushPending();
}

// All waiting rows go in one transaction or none does: on a full disk SQLite may refuse a
// single row, and a row refused then must not be dropped while the rest is committed.
bool TemperatureChartData::FlushPending()
{
    if (pendingInserts.isEmpty())
        return true;
    if (!insertConnection)
        insertConnection = std::make_unique<SqlConnection>(QStringLiteral("ResInsertDB"));
    QString failure;
    bool failed = false;
    const auto fail = [&failure, &failed](const QString &reason) {
        failed = true;
        failure = reason;
    };
    if (!insertConnection->open(QString::fromLatin1(resultDatabaseFile))) {
        fail(insertConnection->database().lastError().text());
    } else {
        QSqlDatabase db = insertConnection->database();
        ensureResultTables(db);
        if (!db.transaction()) {
            fail(db.lastError().text());
        } else {
            {
                QSqlQuery insert(db);
                if (!insert.prepare(QStringLiteral(
                        "INSERT INTO res_report (roundstart, detectstart, idx_camera, idx_detect,"
                        " roi_detail, roi_result, result, description)"
                        " values (?, ?, ?, ?, ?, ?, ?, ?)")))
                    fail(insert.lastError().text());
                for (const PendingRow &row : qAsConst(pendingInserts)) {
                    if (failed)
                        break;
                    insert.addBindValue(nonNull(row.roundStart));
                    insert.addBindValue(nonNull(row.detectStart));
                    insert.addBindValue(row.camera);
                    insert.addBindValue(row.detect);
                    insert.addBindValue(nonNull(row.detail));
                    insert.addBindValue(nonNull(row.result));
                    insert.addBindValue(row.verdict);
                    insert.addBindValue(nonNull(row.description));
                    if (!insert.exec())
                        fail(QStringLiteral("camera %1, stage %2: %3")
                                 .arg(row.camera)
                                 .arg(row.detect)
                                 .arg(insert.lastError().text()));
                }
            }
            if (!failed && !db.commit())
                fail(db.lastError().text());
            if (failed)
                db.rollback();
        }
    }
    insertConnection->close();
    if (failed) {
        writeFailures.failed(QStringLiteral("%1 (%2 rows wait and are tried again)")
                                 .arg(failure)
                                 .arg(pendingInserts.size()));
        retryTimer.start();
        return false;
    }
    writeFailures.succeeded();
    retryTimer.stop();
    pendingInserts.clear();
    return true;
}

void TemperatureChartData::SetRecordInterval(int minutes)
{
    recordMinutes = minutes;
    if (minutes <= 0) {
        recordTimer.stop();
        recordFlag = minutes == 0;
        qInfo("timed records: %s", minutes == 0 ? "every row" : "off");
        return;
    }
    const qint64 milliseconds =
        qMin<qint64>(qint64(minutes) * 60000, std::numeric_limits<int>::max());
    recordTimer.start(int(milliseconds));
}

bool TemperatureChartData::ExportData(int kind, const QString &folder)
{
    if (exportBusy)
        return false;
    const ResultQuery range = query();
    const QString name = wallClock()->now().toString(QStringLiteral("yyyy-MM-dd_hh.mm.ss.zzz"))
                         + QStringLiteral("_result");
    QDir base(folder);
    if (!base.mkpath(name)) {
        qWarning("export: cannot create %s in %s", qPrintable(name), qPrintable(folder));
        emit exportFinish(false);
        return false;
    }
    QStringList arguments{QStringLiteral("-t"),
                          range.from.toString(QLatin1String(timeFormat)),
                          range.to.toString(QLatin1String(timeFormat)),
                          QStringLiteral("-c"),
                          QString::number(range.camera),
                          QStringLiteral("-d"),
                          QString::number(range.detect),
                          QStringLiteral("-dir"),
                          QDir(base.absoluteFilePath(name)).absolutePath() + QLatin1Char('/'),
                          QStringLiteral("-w"),
                          QDir::currentPath() + QLatin1Char('/')};
    if (kind == 2)
        arguments << QStringLiteral("-detail") << QString::fromLatin1(timedRecordText);
    qInfo("export: %s %s", exportProgram, qPrintable(arguments.join(QLatin1Char(' '))));

    QProcess *process =
        systemActions()->startProgram(QString::fromLatin1(exportProgram), arguments, this);
    const QString target = base.absoluteFilePath(name);
    if (!process) {
        qWarning("export program %s could not be started", exportProgram);
        QDir().rmdir(target);
        emit exportFinish(false);
        return false;
    }
    exportBusy = true;
    auto logOutput = [process] {
        const QByteArray output =
            process->readAllStandardOutput() + process->readAllStandardError();
        if (output.isEmpty())
            return;
        qInfo("%s", output.constData());
        qInfo(output.contains("export finished\r\n") ? "true" : "false");
    };
    connect(process, &QProcess::readyReadStandardOutput, this, logOutput);
    connect(process, &QProcess::readyReadStandardError, this, logOutput);
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this, process, logOutput, target](int exitCode, QProcess::ExitStatus status) {
                logOutput();
                const bool succeeded = status == QProcess::NormalExit && exitCode == 0;
                // A failed export leaves no empty folder behind; one with files stays.
                if (!succeeded)
                    QDir().rmdir(target);
                FinishExport(process, succeeded);
            });
    return true;
}

void TemperatureChartData::FinishExport(QProcess *process, bool succeeded)
{
    exportBusy = false;
    process->deleteLater();
    emit exportFinish(succeeded);
}
