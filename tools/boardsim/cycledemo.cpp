// cycledemo <runtime folder>: sets the station's runtime folder up so that an operator can watch
// good and bad mould cycles with the simulated cameras and the board simulator. The simulated
// cameras always show their first stored picture (the empty mould), so the set-up makes the
// verdict follow the side of a rotary-table machine:
//
// - machine mode 2 (rotary table), both sides; cavity capture 1 s after the cycle start, no
//   no-signal watchdog;
// - side 1 (cycle start on the mould-open end, input 1): every camera's cavity template is its
//   own picture: OK cycles;
// - side 2 (cycle start on input 4): camera 1's cavity template is its stored picture with a
//   part left in a cavity, and a defect region covers that cavity: NG cycles, the alarm latches
//   and stays latched, since the simulated part never goes away (the safety door, input 2, has
//   the images examined again to no avail). Restart the station to begin again.
//
// To go back, delete PARAM.db and the folders cammer12, cammer14, cammer22 and cammer24 of the
// runtime folder; the next build restores the default PARAM.db.

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "core/UiTexts.h"
#include "inspection/CammerSingleton.h"
#include "platform/system/SystemActions.h"
#include "tools/boardsim/DefectRegion.h"
#include "tools/framegen/MouldSynth.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>

namespace {

constexpr int DemoCameras = 2;
constexpr int CavityStage = 1;
constexpr int OtherSideCavityStage = 3;
// The cavity of the first camera's mould that its second stored picture has a part in.
constexpr int PartCavity = 1;

bool fail(const char *what)
{
    std::fprintf(stderr, "cycledemo: %s\n", what);
    return false;
}

bool setParameters(QSqlDatabase &database)
{
    SystemParameters parameters;
    parameters.SetDefaults();
    if (!parameters.Load(QSqlQuery(database)))
        return fail("the parameters cannot be read");
    parameters[Param::MachineMode] = 2;   // rotary table
    parameters[Param::ConfiguredMachineMode] = 2;
    parameters[Param::MouldSide] = 2;     // both sides
    parameters[Param::CaptureDelay + 1] = 10;   // cavity capture 1 s after the cycle start
    parameters[Param::NoSignalSeconds] = 0;     // no no-signal watchdog
    parameters[Param::NgImagesToKeep] = 20;     // result images in ./alarmimage
    parameters[Param::OkImagesToKeep] = 20;
    return parameters.SaveAll(QSqlQuery(database)) || fail("the parameters cannot be saved");
}

// Stage templates: the camera's own picture, or for camera 1 on side 2 the one with the part.
bool copyTemplates()
{
    SystemActions *actions = systemActions();
    for (int camera = 1; camera <= DemoCameras; ++camera) {
        const QString stored = QStringLiteral("cammer%1/template%2.bmp").arg(camera * 10 + 5);
        for (int stage : {CavityStage, OtherSideCavityStage}) {
            const QString folder = QStringLiteral("cammer%1%2").arg(camera).arg(stage + 1);
            const bool withPart = camera == 1 && stage == OtherSideCavityStage;
            if (!QDir().mkpath(folder)
                || !actions->copyFile(stored.arg(withPart ? 1 : 0), folder + QStringLiteral("/template0.bmp")))
                return fail("a template cannot be written (build the station first)");
        }
    }
    return true;
}

// A defect region over the cavity in both cavity stages of camera 1.
bool addRegions(QSqlDatabase &database)
{
    const synth::MouldLayout layout = synth::makeMouldLayout(1);
    const cv::Rect cavity = layout.cavities.at(PartCavity).rect;
    CammerSingleton config(0);
    QSqlQuery query(database);
    if (!config.load(query, layout.size.width, layout.size.height))
        return fail("the camera table cannot be read");
    for (int stage : {CavityStage, OtherSideCavityStage}) {
        config.deleteShapes(stage);
        config.roiCount[stage] = 0;
        addCavityDefectRegion(config, stage, cavity);
    }
    return config.save(query) || fail("the regions cannot be saved");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: cycledemo <runtime folder>\n");
        return 2;
    }
    if (!QDir::setCurrent(arguments.at(1)) || !QFileInfo::exists(QStringLiteral("PARAM.db"))) {
        std::fprintf(stderr, "cycledemo: %s holds no PARAM.db (build the station first)\n",
                     qPrintable(arguments.at(1)));
        return 1;
    }
    loadUiTexts();
    bool ok = false;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cycledemo"));
        database.setDatabaseName(QStringLiteral("PARAM.db"));
        ok = (database.open() || fail("PARAM.db cannot be opened")) && setParameters(database)
            && copyTemplates() && addRegions(database);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("cycledemo"));
    if (!ok)
        return 1;
    std::printf("demo set up in %s: input 1 starts OK cycles, input 4 NG cycles (see the board simulator)\n",
                qPrintable(arguments.at(1)));
    return 0;
}
