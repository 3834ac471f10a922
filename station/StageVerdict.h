#ifndef STATION_STAGEVERDICT_H
#define STATION_STAGEVERDICT_H

#include "station/RunCodes.h"

#include <QString>
#include <QVector>

// What a judged detect stage makes the station do, decided from the settings and the camera
// verdicts alone, so that the rules can be read and tested apart from the window. The window
// (MoJuWizard::CheckNG) carries the steps out in their order: the order is part of the
// behaviour on the wire, since every Publish hands the output word as it then stands to the
// I/O thread.

// The settings of the live record that the decision reads.
struct StageSettings
{
    int machineMode = 0;
    bool latchMode = true;                // an NG latches the alarm (else it is a pulse)
    bool multiOutput = false;             // a product NG pulses its regions' outputs
    bool noEjectorControl = false;
    bool temperatureNoStop = false;       // a temperature NG pulses the alarm only
    bool cutEjectorWhenClamping = false;
    bool clampCutAfterOk = false;
    bool ejectorCutAfterOk = false;
    bool semiAutomatic = false;
    int clampPulseSteps = 0;              // steps of 100 ms
    int ejectorPulseSteps = 0;
    bool productStageEnabled = false;     // stage 0 is judged
};

struct CameraVerdict
{
    bool ok = true;
    bool regionOk = true;
    bool temperatureOk = true;
};

struct StageInput
{
    StageSettings settings;
    QVector<CameraVerdict> cameras;       // the cameras in use
    int detect = 0;                       // the stage judged
    int displayMode = DisplayModes::Normal;
    bool relearnPending = false;          // templates are learnt again after region editing
    // Automatic re-checks left, by stage group.
    QVector<int> recheckRemaining;
    bool doorCheck = false;               // the stage was armed by the safety door
    bool clearing = false;                // the verdict of an examination after an NG
    bool manualCheck = false;             // a manual capture: judged, not counted
    // Per entry of the extra-output table, an NG region asked for that output.
    QVector<bool> extraOutputFlags;
};

struct StageStep
{
    enum Kind {
        SetOutput,          // output to value (1 on, 0 off)
        Publish,            // the output word goes to the I/O thread
        WriteAlarmRegister, // register 1 to value
        LatchAlarm,         // detection stops, the region page shows the NG cameras
        ReleaseAlarm,       // the region page closes: the images passed again
        StartDetect,        // detection starts afresh from idle outputs
        ResumeDetecting,    // detection goes on, the region verdicts back to OK
        RearmCavityStage,   // the cavity stage of this cycle is armed on the next pass
        RequestRecheck,     // the stage is judged again on the next pass
        ClearRecheck,
        StartAlarmPulse,    // a temperature NG that does not stop the machine
        ShowResult,         // the verdict shown for 2 s with the lamps; value 1: NG lamp
        CountCycle,
        StartNgPulse,       // timers of value ms
        StartClampPulse,
        StartEjectorPulse,
        KeepResultImages,   // the result images rendered and their fate decided
        ArchiveImages,      // the archiver takes the images not held for the region page
    };
    Kind kind;
    int output = 0;
    int value = 0;

    bool operator==(const StageStep &other) const
    {
        return kind == other.kind && output == other.output && value == other.value;
    }
};

struct StageDecision
{
    bool anyNg = false;
    // Registers 153 + 3c (camera c) and 150 onward (any camera): 1 OK, 2 NG, for the verdict,
    // the region verdict and the temperature verdict.
    QVector<QVector<short>> cameraRegisters;
    QVector<short> anyRegisters;
    QVector<int> ngCameras;               // they blink, and the alarm record names them
    // The stage's group (its parity in the two-sided machine modes, else the stage); -1 when
    // the stage is out of range: then only the registers are set.
    int group = -1;
    // An NG is final: no automatic re-check is left for it.
    bool verdictFinal = true;
    // NG images go to the archive at once instead of being held for the region page.
    bool archiveNgAtOnce = false;
    QVector<StageStep> steps;
};

// The group whose outputs, re-checks and latch a stage shares.
int stageGroup(int machineMode, int detect);

// Output driven by each entry of the extra-output table (0 for no entry).
int extraOutputOf(int entry);

StageDecision decideStage(const StageInput &input);

// The operation-record row of a latched alarm: the camera entry (with %1 the camera number)
// for each NG camera, the last character dropped, then the alarm entry.
QString alarmRecordText(const QVector<int> &ngCameras, const QString &cameraEntry, const QString &alarmEntry);

// What becomes of a camera's result images once its verdict is in: the code it had when the
// stage was judged, and what to render.
struct ResultImagePlan
{
    int code = ResultCodes::None;
    bool renderNew = false;       // the new result image into the slot of its verdict, counted
    bool rerenderKept = false;    // the kept NG image re-rendered with the old code
    bool okBesideNg = false;      // after a passed examination: the OK image beside the NG one
};

ResultImagePlan planResultImages(int code, bool ok, bool verdictFinal, int okImagesToKeep,
                                 int ngImagesToKeep, bool archiveNgAtOnce);

#endif
