// The end of start-up: the supervising host is served and the warnings held back are shown,
// once the station judges and counts every cycle.

#include "station/MoJuWizard.h"

#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "machineio/ModbusServer.h"
#include "uikit/Warnbox.h"

#include <algorithm>

namespace {

// A board that does not answer, or a camera that does not connect, does not keep the host
// waiting longer than this after the window was built.
constexpr qint64 StartupWaitMs = 5000;

} // namespace

void MoJuWizard::finishStartup(bool camerasReady)
{
    if (!startingUp)
        return;
    // The pass that ends here has read the inputs the link started from: an edge after them
    // is seen by a later pass, so a cycle the host sees running from now on is counted.
    const bool running = camerasReady && controlPort && controlPort->HasStartingInputs();
    if (!running && startupClock.isValid() && startupClock.elapsed() < StartupWaitMs)
        return;
    startingUp = false;
    if (!running)
        qWarning("start-up: %s; the host is served all the same",
                 camerasReady ? "the I/O board has not answered" : "a camera is not connected");
    modbusServer->Start();
    const QStringList held = startupWarnings;
    startupWarnings.clear();
    for (const QString &text : held)
        warnWithoutBlocking(text);
}

void MoJuWizard::warnWithoutBlocking(const QString &text)
{
    if (startingUp) {
        qWarning("start-up warning, shown once the station runs: %s", qPrintable(text));
        startupWarnings.append(text);
        return;
    }
    // The panel has no window manager: the box goes on top by being raised after the main
    // window was shown, not by a hint.
    openWarnings.erase(std::remove_if(openWarnings.begin(), openWarnings.end(),
                                      [](const std::unique_ptr<Warnbox> &b) { return !b->isVisible(); }),
                       openWarnings.end());
    auto box = std::make_unique<Warnbox>();
    box->setText(text);
    box->show();
    box->raise();
    box->activateWindow();
    openWarnings.push_back(std::move(box));
}
