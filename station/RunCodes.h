#ifndef STATION_RUNCODES_H
#define STATION_RUNCODES_H

// The numbers of the run controller that mean something, by name. The values are the ones the
// main window's members, the registers and the other windows have always used; they stay
// plain ints so that every reader of those members keeps working.

// Machine inputs, numbered from 0 (input n of the machine is number n - 1).
namespace Input {
constexpr int MouldOpen = 0;     // mould-open end: the cycle starts
constexpr int SafetyDoor = 1;
constexpr int EjectorBack = 2;   // ejector-back end; mode 1: the left mould
constexpr int Fourth = 3;        // spare; mode 1: the right mould, mode 2: the other side
constexpr int Fifth = 4;         // spare
constexpr int Count = 8;
} // namespace Input

// The machine modes (the MachineMode setting).
namespace MachineModes {
constexpr int Standard = 0;
constexpr int TwoColour = 1;     // two sides, each with a product and a cavity stage
constexpr int Rotary = 2;        // a turning table: two sides as well
} // namespace MachineModes

// The detect stages of a side: the product, then the mould cavity; in the two-sided modes the
// second side's stages follow (stage + SecondSide).
namespace Stages {
constexpr int Product = 0;
constexpr int Cavity = 1;
constexpr int SecondSide = 2;
} // namespace Stages

// Status lamp channels (setStatusLed): lamp 3 shows the verdict, lamp 2 the run state and the
// heartbeat.
namespace Lamps {
constexpr int VerdictGreen = 0;
constexpr int VerdictRed = 1;
constexpr int Heartbeat = 2;
constexpr int Run = 3;
} // namespace Lamps

// A trigger-input setting that lets either of two inputs fire a stage.
constexpr int EitherTriggerInput = 255;

// Machine outputs, numbered from 1 (the I/O link numbers them from 0). "On" is the level
// opposite the output's idle level.
namespace Output {
constexpr int MouldClose = 1;    // on: the mould may not close
constexpr int Ejector = 2;       // on: the ejector may not move (mould turn in mode 1)
constexpr int Alarm = 3;
constexpr int Spare = 4;
constexpr int FirstExtra = 5;    // 5..10: outputs an NG region may ask for
constexpr int Last = 10;
// The number the I/O link gives the output.
constexpr int linkIndex(int output)
{
    return output - 1;
}
} // namespace Output

// MoJuWizard::RunState.
namespace RunStates {
enum : int {
    Detecting = 1,
    Sampling = 2,    // the next captures become templates
    Stopped = 3,
};
} // namespace RunStates

// MoJuWizard::DisplayMode.
namespace DisplayModes {
enum : int {
    Normal = 0,
    ResultShown = 1,   // for 2 s after a verdict
    AlarmLatched = 2,
    Editor = 3,        // the region page or the image records
};
} // namespace DisplayModes

// MoJuWizard::cyclePhase, shown by the panel titles.
namespace CyclePhases {
enum : int {
    Delaying = 1,    // a capture delay runs
    Captured = 2,
    Idle = 3,
};
} // namespace CyclePhases

// MoJuWizard::ResultCode: per camera and stage, what happens to the last result's images.
namespace ResultCodes {
enum : int {
    None = 0,               // nothing pending
    Armed = 1,              // the stage's result is awaited
    OkToArchive = 2,
    NgKept = 3,             // NG shown and kept, not archived
    NgAccepted = 4,         // accepted by the operator without detection
    NgAsTemplate = 5,       // taken as a template by the operator
    ExaminedAgain = 7,
    NgRerendered = 8,       // the NG image re-rendered after the examination
    NgToArchive = 9,
    BothToArchive = 10,     // the NG and the OK image, both into the NG folder
};
} // namespace ResultCodes

#endif
