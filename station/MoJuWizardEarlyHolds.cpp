// Input edges have the mould close and the ejector held at once, as the pass that acts on them
// will hold them: while the cameras of a stage are judged (the GUI thread waits for the judging
// threads meanwhile), and at the head of a run pass, before its frames are pulled.

#include "station/MoJuWizard.h"

#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "station/CycleStart.h"
#include "station/RunCodes.h"

// The holds are provisional: the verdict and the pass that acts on the edges decide the outputs
// as they always do, and whatever neither of them set goes back when that pass ends.
void MoJuWizard::holdAheadOfEdges(int judgedStage)
{
    EarlyHoldInput input;
    input.settings = liveCycleSettings();
    input.stopped = RunState == RunStates::Stopped;
    input.alarmLatched = DisplayMode == DisplayModes::AlarmLatched;
    input.recheckPending = recheckPending != 0;
    input.manualCapturePending = manualStage != detectsPerCamera;
    input.stageTimerBusy = stageTimerBusy();
    input.cavityArmed = armedCameras[1] != 0;
    input.judgedStage = judgedStage;
    if (!earlyHoldsApply(input))
        return;
    input.edges = controlPort->PendingRisingEdges();
    const EarlyHolds holds = decideEarlyHolds(input);
    // Called about once a millisecond while the edge waits: the I/O thread is woken only when
    // a hold is new.
    const int held[] = {holds.mouldClose ? Output::MouldClose : 0, holds.ejector ? Output::Ejector : 0};
    bool changed = false;
    for (int output : held) {
        if (output != 0 && !controlPort->IsOutputOn(Output::linkIndex(output))) {
            controlPort->SetOutputProvisionally(Output::linkIndex(output), true);
            changed = true;
        }
    }
    if (changed)
        publishOutputs();
}
