// Counting verdicts: each verdict rewrites the 45 rows in use (8 cameras x 4 stages plus the
// sums) in one transaction. References in the same run: the same 45 UPDATE statements in one
// plain transaction, and the same statements each committed on its own.
#include "core/ResultDatabase.h"
#include "core/SqlConnection.h"
#include "statistics/StatisticsData.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Cameras = 8;
constexpr int Stages = 4;

struct Fixture
{
    Fixture()
    {
        QDir::setCurrent(folder.path());
        counts = std::make_unique<StatisticsData>(Cameras, Stages, nullptr);
        counts->AddResult(0, true, 0, 0);   // creates the rows
    }
    QTemporaryDir folder;
    std::unique_ptr<StatisticsData> counts;
};

Fixture &fixture()
{
    static Fixture data;
    return data;
}

QString hourText(int seed)
{
    QString text;
    for (int h = 0; h < 24; ++h)
        text += QStringLiteral("%1 ").arg(seed + h);
    return text;
}

void updateRows(QSqlQuery &update, int seed)
{
    for (int camera = 0; camera <= Cameras; ++camera) {
        for (int stage = 0; stage <= Stages; ++stage) {
            update.addBindValue(hourText(seed));
            update.addBindValue(hourText(seed + 1));
            update.addBindValue(QStringLiteral("C%1_D%2").arg(camera == Cameras ? 8 : camera)
                                    .arg(stage == Stages ? 8 : stage));
            update.exec();
        }
    }
}

void BM_CountOneVerdict(benchmark::State &state)
{
    StatisticsData &counts = *fixture().counts;
    int n = 0;
    for (auto _ : state) {
        if (!counts.AddResult(n % 24, n % 7 != 0, n % Cameras, n % Stages))
            state.SkipWithError("not saved");
        ++n;
    }
}

void BM_CountOneCycle(benchmark::State &state)
{
    StatisticsData &counts = *fixture().counts;
    for (auto _ : state) {
        for (int camera = 0; camera < Cameras; ++camera) {
            for (int stage = 0; stage < Stages; ++stage)
                counts.AddResult(10, camera != 3, camera, stage);
        }
    }
}

void BM_PlainTransaction45Rows(benchmark::State &state)
{
    fixture();
    SqlConnection connection(QStringLiteral("reference"));
    connection.open(QString::fromLatin1(resultDatabaseFile));
    QSqlDatabase db = connection.database();
    QSqlQuery update(db);
    update.prepare("update resstatistics set value1 = ?, value2 = ? where name = ?");
    int seed = 0;
    for (auto _ : state) {
        db.transaction();
        updateRows(update, ++seed);
        db.commit();
    }
}

void BM_Autocommit45Rows(benchmark::State &state)
{
    fixture();
    SqlConnection connection(QStringLiteral("reference"));
    connection.open(QString::fromLatin1(resultDatabaseFile));
    QSqlQuery update(connection.database());
    update.prepare("update resstatistics set value1 = ?, value2 = ? where name = ?");
    int seed = 0;
    for (auto _ : state)
        updateRows(update, ++seed);
}

} // namespace

BENCHMARK(BM_PlainTransaction45Rows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountOneVerdict)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountOneCycle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Autocommit45Rows)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture().counts.reset();
    return 0;
}
