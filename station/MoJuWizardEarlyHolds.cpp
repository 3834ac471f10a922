// Input edges have the mould close and the ejector held at once, as the pass that acts on them
// will hold them: while the cameras of a stage are judged (the GUI thread waits for the judging
// threads meanwhile), and at the head of a run pass, before its frames are pulled.

#include "station/MoJuWizard.h"

#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "station/RunCodes.h"
#include "station/RunSettings.h"

using namespace Param;

// Only the holds go out early, and only where the pass after the judge starts cycles and arms
// stages on an edge: everything else the edge does (arming, result codes, the side, stage
// timers) waits for that pass, so the pending verdict finds its stage as it was armed. The
// holds are provisional: the verdict and that pass decide the outputs as they always do, and
// whatever neither of them set goes back when that pass ends. Holding is the safe direction; a
// start that lets outputs go is not anticipated.
void MoJuWizard::holdAheadOfEdges(int judgedStage)
{
    if (runSetting(DebounceSteps) != 0 || runSetting(PulseMode) != 0 || RunState == RunStates::Stopped
        || DisplayMode == DisplayModes::AlarmLatched || recheckPending != 0 || manualStage != detectsPerCamera
        || stageTimerBusy())
        return;
    const quint32 edges = controlPort->PendingRisingEdges();
    if (edges == 0)
        return;
    // The verdict of a cavity stage leaves no camera owing it.
    bool cavityArmed = armedCameras[1] != 0 && (judgedStage == NoStageJudged || (judgedStage & 1) == 0);
    bool holdClose = false;
    bool holdEjector = false;
    for (int pos = 0; pos < Input::Count; ++pos) {
        if ((edges & (1u << pos)) == 0)
            continue;
        if (startsCycle(pos)) {
            const StartHolds holds = cycleStartHolds(pos, startArms(0));
            if (holds.releaseAll)
                return;
            holdClose = holdClose || holds.mouldClose;
            holdEjector = holdEjector || holds.ejector;
            cavityArmed = startArms(1);
        }
        if (cavityArmed && secondTriggerRearm(pos).rearms && rearmHoldsMould())
            holdClose = true;
    }
    // Called about once a millisecond while the edge waits: the I/O thread is woken only when
    // a hold is new.
    const int held[] = {holdClose ? Output::MouldClose : 0, holdEjector ? Output::Ejector : 0};
    bool changed = false;
    for (int output : held) {
        if (output != 0 && !controlPort->IsOutputOn(output - 1)) {
            controlPort->SetOutputProvisionally(output - 1, true);
            changed = true;
        }
    }
    if (changed)
        publishOutputs();
}

// A cycle start arms cameras for the stages of this parity.
bool MoJuWizard::startArms(int parity) const
{
    if (camerasInUse() <= 0)
        return false;
    for (int l = parity; l < stagesInUse(); l += 2) {
        if (stageEnabled(l))
            return true;
    }
    return false;
}
