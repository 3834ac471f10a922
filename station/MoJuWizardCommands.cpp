// Operator commands of the side menu and the panels, the display modes of the screen and the
// heartbeat lamp.

#include "station/MoJuWizard.h"

#include "cameras/CameraDiscovery.h"
#include "cameras/CameraInterface.h"
#include "cameras/CameraSerials.h"
#include "core/Globals.h"
#include "core/PlatformHelpers.h"
#include "core/SystemParameters.h"
#include "machineio/ModbusServer.h"
#include "station/CameraReportForm.h"
#include "station/CameraWgtBox.h"
#include "station/CameraWgt_DataWidget.h"
#include "station/CameraWgt_DataWidget_Title_SetROI.h"
#include "station/CammerWidget.h"
#include "station/DottomDockWidget.h"
#include "station/ImageBrowser.h"
#include "station/Main_MenuBtnWidget.h"
#include "station/MenuBtnWidget.h"
#include "station/RegionPage.h"
#include "station/RunCodes.h"
#include "station/ReportRow.h"
#include "station/RunSettings.h"
#include "station/StationGlobals.h"
#include "uikit/FloatSlider.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/inputbox.h"
#include "uikit/tipbox.h"

#include <QTimer>

#include <algorithm>

namespace {

constexpr int RunRegister = 0;
constexpr int ResampleQuestionEntry = 137;
constexpr int ResamplingRecordEntry = 139;

bool askYesNo(const QString &text)
{
    tipbox box(tipbox::OkCancelButtons);
    box.setText(text);
    return box.exec() == QDialog::Accepted;
}

} // namespace

bool MoJuWizard::regionPageVisible() const
{
    return sideMenu && sideMenu->editorPageShown();
}

float MoJuWizard::activeCountdown() const
{
    for (int k = 0; k < qMin(detectsPerCamera, int(MaxStages)); ++k) {
        if (stageTimers[k] && stageTimers[k]->isActive())
            return stageCountdown[k];
    }
    return 0;
}

void MoJuWizard::showRecentNgInfo(const QString &text)
{
    if (!cameraBox)
        return;
    for (CameraWgt_DataWidget *panel : qAsConst(cameraBox->panels)) {
        if (currentCamera == cameraCount || panel->cameraIndex == currentCamera) {
            if (CameraWgt_DataWidget_Title_SetROI *title = panel->showImageInfoTitle())
                title->setImageInfo(text);
        }
    }
}

void MoJuWizard::fillCameraReports()
{
    for (int c = 0; c < camerasInUse(); ++c) {
        const CameraWgt_DataWidget *panel = cameraBox ? cameraBox->panel(c) : nullptr;
        const CammerWidget *view = cameraViews[c];
        if (!panel || !panel->reportForm() || !view || !view->activeConfig)
            continue;
        panel->reportForm()->setRows(reportRows(*view->activeConfig, *view->results, detect));
    }
}

void MoJuWizard::setCameraViewsMode(int mode)
{
    if (cameraBox) {
        const int index = currentCamera == cameraCount ? -1 : currentCamera;
        for (CameraWgt_DataWidget *panel : qAsConst(cameraBox->panels)) {
            panel->setTitleMode(mode);
            panel->applyLayoutIndex(index);
        }
        cameraBox->update();
    }
    const bool editorMode = mode == DisplayModes::AlarmLatched || mode == DisplayModes::Editor;
    if (bottomBar)
        bottomBar->setVisible(!editorMode);
    if (sideMenu)
        sideMenu->showPage(editorMode ? mode : 0);
    refreshStartStopButton();
}

void MoJuWizard::refreshStartStopButton()
{
    if (sideMenu)
        sideMenu->mainPage()->refreshStartStop();
}

void MoJuWizard::SlotStartStop()
{
    if (regionPageVisible() || DisplayMode == DisplayModes::AlarmLatched)
        return;
    if (RunState == RunStates::Stopped) {
        modbusServer->SetReadRegister(RunRegister, 1);
        StartDetect();
        if (runSetting(Param::ClampCutAfterOk) != 0 && runSetting(Param::ClampPulse) > 0) {
            setOutput(Output::MouldClose, true);
            publishOutputs();
        }
        InsertRecord(tr("手动设置开始检测"));
        setStatusLed(Lamps::Run, 1);
        setStatusLed(Lamps::Heartbeat, 0);
    } else {
        if (runSetting(Param::StopAsksLogin) == 0 || runSetting(Param::PasswordUsed) != 0) {
            if (requireLogin() == 0)
                return;
        } else {
            // Stopping always asks who stops, even without password protection.
            inputbox prompt(1);
            if (prompt.exec() != QDialog::Accepted || level == 0)
                return;
        }
        if (!askYesNo(tr("确定要停止检测吗？")) || regionPageVisible())
            return;
        modbusServer->SetReadRegister(RunRegister, 0);
        StopDetect();
        InsertRecord(tr("手动设置停止检测"));
        setStatusLed(Lamps::Run, 0);
        setStatusLed(Lamps::Heartbeat, 1);
    }
    refreshStartStopButton();
    update();
}

void MoJuWizard::SlotReTrain()
{
    if (regionPageVisible() || requireLogin() == 0)
        return;
    if (!askYesNo(uiText(ResampleQuestionEntry)) || regionPageVisible() || DisplayMode == DisplayModes::AlarmLatched)
        return;
    DisplayMode = DisplayModes::Normal;
    for (int c = 0; c < camerasInUse(); ++c) {
        cameraViews[c]->results->resultOk = true;
        for (auto &stage : cameraViews[c]->results->roiOk)
            std::fill(std::begin(stage), std::end(stage), true);
    }
    if (RunState == RunStates::Stopped) {
        StartDetect();
        if (runSetting(Param::ClampCutAfterOk) != 0 && runSetting(Param::ClampPulse) > 0) {
            setOutput(Output::MouldClose, true);
            publishOutputs();
        }
        setStatusLed(Lamps::Run, 1);
    }
    RunState = RunStates::Sampling;
    if (regionPage)
        regionPage->SlotTempDeleteAll();
    for (int c = 0; c < camerasInUse(); ++c) {
        CammerWidget *view = cameraViews[c];
        for (int s = 0; s < detectsPerCamera && s < MaxStages; ++s) {
            if (stageEnabled(s))
                view->samplePending[s] = true;
            if (s < int(view->ignoreMasks.size())) {
                std::fill(view->ignoreMasks[size_t(s)].begin(), view->ignoreMasks[size_t(s)].end(), 0);
                view->SaveIgnoreMask(s);
            }
        }
    }
    InsertRecord(uiText(ResamplingRecordEntry));
    saveCameraSerials(0);
    refreshStartStopButton();
    update();
}

void MoJuWizard::SlotManualTrig(int a)
{
    if (regionPageVisible())
        return;
    if (a == 0 && runSetting(Param::ProductStage) == 0) {
        Warnbox box;
        box.setText(tr("警告：成品检测没有启用！"));
        box.exec();
        return;
    }
    manualStage = a;
    for (int c = 0; c < camerasInUse(); ++c) {
        CammerWidget *view = cameraViews[c];
        std::fill(std::begin(view->ngHandled), std::end(view->ngHandled), false);
        // A simulated camera shows its next stored picture, as if the part had changed.
        if (view->simulated && view->camera())
            view->camera()->nextSimulatedFrame();
    }
}

void MoJuWizard::SlotAdjustArea()
{
    if (regionPageVisible() || DisplayMode == DisplayModes::AlarmLatched || requireLogin() == 0)
        return;
    if (imageBrowser) {
        imageBrowser->selectSource(0);
        imageBrowser->selectCamera(currentCamera);
    }
    DisplayMode = DisplayModes::Editor;
    // No verdict is taken while the operator edits: an NG would latch the alarm, re-enter the
    // editor and throw the unsaved edits away. The way back from the page takes the verdict.
    if (RunState != RunStates::Stopped)
        regionEditActive = true;
    if (regionPage)
        regionPage->enterEditor();
    setCameraViewsMode(DisplayModes::Editor);
}

void MoJuWizard::SlotSystemPara()
{
    if (regionPageVisible())
        return;
    // The maintenance level of the last login is not carried into the settings: it is asked
    // for again where it is needed.
    if (level == 2)
        level = runSetting(Param::PasswordUsed) ? 1 : 0;
    if (requireLogin() == 0 || DisplayMode == DisplayModes::AlarmLatched)
        return;
    *editParams = *currentParams;
    if (settingsDialog)
        settingsDialog();
}

void MoJuWizard::updateZoomSlider()
{
    // Only a single camera shown on the region page's templates or records zooms.
    zoomSlider->setVisible(currentCamera != cameraCount && editorSource != -1 && editorSource != 1);
    zoomSlider->resetToMinimum();
}

void MoJuWizard::ChangeCammer()
{
    if (cameraBox)
        cameraBox->slotChangeCameraLayout(currentCamera == cameraCount ? -1 : currentCamera);
    updateZoomSlider();
}

void MoJuWizard::MScaleSetToMin()
{
    zoomSlider->resetToMinimum();
}

void MoJuWizard::UpdateCameraPanels()
{
    for (CameraWgt_DataWidget *panel : qAsConst(cameraBox->panels)) {
        panel->enabled = runSetting(Param::CameraEnabled + panel->cameraIndex) != 0;
        panel->setVisible(panel->enabled);
    }
    cameraBox->rebuildGrid();
    cameraBox->equalizeSizes();
    currentCamera = cameraCount;
    cameraBox->slotChangeCameraLayout(-1);
    updateZoomSlider();
}

void MoJuWizard::ApplyCameraFrameRate()
{
    for (int c = 0; c < camerasInUse(); ++c)
        cameraViews[c]->ApplyFrameRate();
}

void MoJuWizard::CloseCameras()
{
    for (int c = 0; c < camerasInUse(); ++c) {
        cameraViews[c]->StopGrab();
        cameraViews[c]->CloseCamera();
    }
}

void MoJuWizard::PanView(const QPoint &point)
{
    if (zoomScale <= 1.0) {
        lastMousePoint = point;
        return;
    }
    panX += point.x() - lastMousePoint.x();
    panY += point.y() - lastMousePoint.y();
    lastMousePoint = point;
    clampPan();
    update();
    zoomSlider->restartTimer();
}

void MoJuWizard::clampPan()
{
    // The zoomed picture keeps covering the view: it never moves past an edge.
    const CammerWidget *view = currentCamera >= 0 && currentCamera < camerasInUse() ? cameraViews[currentCamera]
                                                                                   : nullptr;
    if (!view || zoomScale <= 1.0)
        return;
    panX = qBound(view->width() * (1.0 - zoomScale), panX, 0.0);
    panY = qBound(view->height() * (1.0 - zoomScale), panY, 0.0);
}

void MoJuWizard::SlotDrawHint()
{
    drawHintTimer->stop();
    update();
}

void MoJuWizard::SetZoomSliderVisible(bool visible)
{
    zoomSlider->setVisible(visible);
}

void MoJuWizard::SlotFPS()
{
    if (RunState != RunStates::Stopped) {
        heartbeatBlink = !heartbeatBlink;
        setStatusLed(Lamps::Heartbeat, heartbeatBlink ? 1 : 0);
    } else {
        setStatusLed(Lamps::Heartbeat, 1);
    }
}
