#ifndef STATION_CYCLESTART_H
#define STATION_CYCLESTART_H

#include "core/Globals.h"

#include <QtGlobal>

// What an input edge makes the run controller do before any camera is judged: whether it
// starts a cycle and what that start holds, whether it arms the second trigger again, which
// stage timers it fires with what delay, and which outputs are held early while a judge still
// runs. Decided from the settings and the controller's state alone, so that the rules can be
// read and tested apart from the window; the window (MoJuWizard) carries them out.

// The settings of the live record, and the cameras and stages in use, that these rules read.
struct CycleSettings
{
    int cameras = 0;                      // cameras in use
    int stages = 0;                       // detect stages per camera in use
    int machineMode = 0;
    bool latchMode = true;                // an NG latches the alarm (else it is a pulse)
    int separateSignals = 0;              // the ejector-back end starts cycles of its own
    int mouldSide = 0;                    // two-sided modes: which sides are worked
    bool semiAutomatic = false;
    int preCut = 0;                       // tenths of a second before the cavity capture
    bool cutClampOnMouldAlarm = false;
    bool multiOutput = false;
    bool cutEjectorOnProductAlarm = false;
    bool noEjectorControl = false;
    bool productStage = false;            // the product stage is in use
    int cavityRechecks = 0;
    bool debounced = false;               // inputs are debounced over timer steps
    bool stageEnabled[MaxDetectsPerCamera] = {};
    int triggerInput[MaxDetectsPerCamera] = {};
    int captureDelay[MaxDetectsPerCamera] = {};   // tenths of a second
};

// The settings as the live record holds them now.
CycleSettings liveCycleSettings();

// An edge at input pos starts a cycle.
bool startsCycle(const CycleSettings &s, int pos);

// A cycle start arms cameras for the stages of this parity (0: product, 1: cavity).
bool startArms(const CycleSettings &s, int parity);

// What a cycle start at input pos holds in latch mode: the mould close, the ejector, or every
// output but the alarm let go (a product stage armed, with outputs that pulse).
struct StartHolds
{
    bool mouldClose = false;
    bool ejector = false;
    bool releaseAll = false;
};
StartHolds cycleStartHolds(const CycleSettings &s, int pos, bool productArmed);

// What a cycle start does besides arming every enabled stage: the holds (latch mode only), the
// automatic re-checks the cavity stage is given, and the side the rotary table now faces.
struct CycleStart
{
    bool holdsApply = false;              // latch mode: the holds are set and published
    StartHolds holds;
    int cavityRechecks = 0;
    int side = -1;                        // -1: the side stays
};
CycleStart decideCycleStart(const CycleSettings &s, int pos, bool productArmed);

// Whether an edge at pos arms the second trigger again, and the side it then faces (-1: the
// side stays).
struct Rearm
{
    bool rearms = false;
    int side = -1;
};
Rearm secondTriggerRearm(const CycleSettings &s, int pos);

// A re-armed second trigger holds the mould close at once.
bool rearmHoldsMould(const CycleSettings &s);

// The stage timers an input pass walks: the two of the side facing the cameras in the
// two-sided modes, else every stage in use.
int armingTimers(const CycleSettings &s);

// One stage timer k as an edge at pos reaches it.
struct ArmingInput
{
    CycleSettings settings;
    int pos = -1;
    int timer = 0;
    int side = 0;                         // two-sided modes: side 0 works stages 2 and 3
    bool timerActive = false;             // the timer counts a delay down already
    int forcedStage = -1;                 // armed without its trigger input (mode 0)
    qint64 accumulatedDelay = 0;          // tenths of a second, carried from stage to stage
};

struct Arming
{
    bool fires = false;
    bool forcedTaken = false;             // the forced stage is used up
    // The delay after which the stage is judged, in tenths of a second; 0 or less: at once.
    // Carried on to the next stage that fires.
    qint64 accumulatedDelay = 0;
};
Arming decideArming(const ArmingInput &input);

// The mould close and the ejector held at once for edges a pass has still to act on, while a
// judge runs or at the head of a run pass.
struct EarlyHoldInput
{
    CycleSettings settings;
    bool stopped = false;
    bool alarmLatched = false;
    bool recheckPending = false;
    bool manualCapturePending = false;
    bool stageTimerBusy = false;
    bool cavityArmed = false;             // a camera owes the cavity stage its result
    int judgedStage = -1;                 // -1: no stage is being judged (a run pass)
    quint32 edges = 0;                    // bit i: a rising edge of input i waits
};

// Whether early holds are taken at all in this state; the edges are not looked at.
bool earlyHoldsApply(const EarlyHoldInput &input);

struct EarlyHolds
{
    bool mouldClose = false;
    bool ejector = false;
};
EarlyHolds decideEarlyHolds(const EarlyHoldInput &input);

#endif
