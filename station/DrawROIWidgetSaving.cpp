// The page's commands that act on the stored configuration and the running machine: saving
// the edited regions, accepting an NG cycle without detection, examining the images again and
// leaving the page.

#include "station/DrawROIWidget.h"

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/SqlTransaction.h"
#include "inspection/CammerSingleton.h"
#include "inspection/DetectAlgorithm.h"
#include "machineio/IOGlobals.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "station/RegionChangeRecords.h"
#include "station/RegionPageTexts.h"
#include "station/RunCodes.h"
#include "station/RunSettings.h"
#include "station/StationGlobals.h"
#include "uikit/ComboBox.h"
#include "uikit/NumCharInput.h"
#include "uikit/UiKitGlobals.h"

#include <QSqlQuery>

#include <memory>
#include <vector>

namespace {

// UI text entries.
constexpr int NoCheckAllQuestionEntry = 102;
constexpr int NoCheckAllRecordEntry = 103;
constexpr int NoCheckCameraQuestionEntry = 105;
constexpr int NoCheckCameraRecordEntry = 106;

// The regions of the cavity stages follow the product stages on save.
bool copiesRegions()
{
    return currentParams && regionsCopied(*currentParams);
}

// What a camera's active configuration and masks were before the save, to put back when
// the database refused it.
struct ActiveBackup
{
    CammerWidget *view = nullptr;
    std::unique_ptr<CammerSingleton> config;
    std::vector<cv::Mat> masks;
};

} // namespace

using namespace RegionPageTexts;

bool DrawROIWidget::saveChangedCameras(const QVector<int> &changed)
{
    const int mode = runSetting(Param::MachineMode);
    std::vector<ActiveBackup> backups;
    std::vector<RegionChanges> changes;
    for (int c : changed) {
        CammerWidget *view = mainWindow->cameraViews[c];
        changes.push_back(regionChanges(*view->activeConfig, *view->editConfig, c, mode, stagesInUse()));
        ActiveBackup backup;
        backup.view = view;
        backup.config = std::make_unique<CammerSingleton>(c);
        backup.config->copyFrom(*view->activeConfig);
        backup.masks.assign(std::begin(view->roiMasks), std::end(view->roiMasks));
        backups.push_back(std::move(backup));

        view->activeConfig->copyFrom(*view->editConfig);
        view->CommitEditMasks();
        if (copiesRegions()) {
            view->CopyPara();
            view->editConfig->copyFrom(*view->activeConfig);
            view->ResetEditMasks();
        }
    }

    // Every changed camera in one transaction: all of them are stored, or none.
    QSqlQuery query = ParameterManager::instance()->paramQuery();
    bool saved = false;
    {
        SqlTransaction transaction(query);
        saved = transaction.isActive();
        for (const ActiveBackup &b : backups) {
            if (!saved)
                break;
            saved = b.view->activeConfig->save(query);
            if (!saved)
                qWarning("camera %d: the regions could not be stored", b.view->cameraIndex + 1);
        }
        saved = saved && transaction.commit();
    }
    if (!saved) {
        // Detection keeps what is stored; the edits stay in the edit copies for another try.
        for (ActiveBackup &b : backups) {
            b.view->activeConfig->copyFrom(*b.config);
            std::copy(b.masks.begin(), b.masks.end(), std::begin(b.view->roiMasks));
        }
        return false;
    }

    for (size_t i = 0; i < backups.size(); ++i) {
        CammerWidget *view = backups[i].view;
        for (const QString &row : qAsConst(changes[i].rows))
            mainWindow->InsertRecord(row);
        templatesChanged[view->cameraIndex] = true;
        if (changes[i].registrationChanged && view->engine) {
            for (int k = 0; k < stagesInUse(); ++k) {
                if (stageEnabled(k)) {
                    view->engine->buildRegistrationReference(k);
                    view->engine->buildPositioningModel(k);
                }
            }
        }
    }
    return true;
}

void DrawROIWidget::SlotSaveData()
{
    QVector<int> changed;
    for (int c = 0; c < camerasInUse(); ++c) {
        const CammerWidget *view = mainWindow->cameraViews[c];
        if (view && view->activeConfig && view->editConfig && !view->activeConfig->equals(*view->editConfig))
            changed.append(c);
    }
    if (!changed.isEmpty() && confirm(tr("是否保存参数的修改？"))) {
        if (!saveChangedCameras(changed))
            warn(tr("参数保存失败，修改未生效！"));
    }
    // Added or deleted templates take effect whether or not regions were saved.
    for (int c = 0; c < camerasInUse(); ++c) {
        CammerWidget *view = mainWindow->cameraViews[c];
        if (!templatesChanged[c] || !view)
            continue;
        templatesChanged[c] = false;
        for (int k = 0; k < stagesInUse(); ++k) {
            if (stageEnabled(k) && view->engine)
                view->engine->prepareComparators(k);
        }
    }
}

void DrawROIWidget::SlotReCheck()
{
    const int c = mainWindow->currentCamera;
    SlotSaveData();
    mainWindow->ReCheckImages();
    if (alarmLatched() && editorSource == EditorSources::Live && cameraInUse(c)) {
        // The operator is taken to the next camera that is still NG.
        int shown = c;
        for (int i = 0; i < camerasInUse(); ++i) {
            const int candidate = (c + i) % cameraCount;
            const CammerWidget *view = mainWindow->cameraViews[candidate];
            if (view && !view->results->resultOk) {
                shown = candidate;
                break;
            }
        }
        mainWindow->currentCamera = shown;
        mainWindow->ChangeCammer();
        setQuietly(pComboChangeCamera, shown);
    }
    if (!alarmLatched())
        editorSource = EditorSources::None;
}

void DrawROIWidget::SlotNoCheckCur()
{
    const int s = mainWindow->currentDetect();
    hideImageBrowser();
    if (!permitted(Param::NoCheckAsksLogin))
        return;
    if (runSetting(Param::OpenDoorFirst) != 0 && !doorOpenedSinceAlarm) {
        warn(uiText(OpenDoorEntry));
        return;
    }
    if (s < 0 || s >= MoJuWizard::MaxStages)
        return;
    const int c = mainWindow->currentCamera;
    if (c == cameraCount) {
        if (!confirm(uiText(NoCheckAllQuestionEntry)))
            return;
        SlotSaveData();
        editorSource = EditorSources::None;
        mainWindow->ResetRun();
        for (int camera = 0; camera < camerasInUse(); ++camera) {
            int &code = mainWindow->ResultCode[camera][s];
            if (code == ResultCodes::NgKept)
                code = ResultCodes::NgAccepted;
        }
        mainWindow->CheckNG(true);
        mainWindow->InsertRecord(uiText(NoCheckAllRecordEntry));
        return;
    }
    CammerWidget *view = shownView();
    if (!view)
        return;
    if (view->results->resultOk && mainWindow->lastVerdictNg) {
        warn(uiText(SwitchToAlarmCameraEntry));
        return;
    }
    if (!confirm(uiText(NoCheckCameraQuestionEntry).arg(c + 1)) || shownView() != view)
        return;
    view->ngHandled[s] = true;
    int &code = mainWindow->ResultCode[c][s];
    if (code == ResultCodes::NgKept)
        code = ResultCodes::NgAccepted;
    mainWindow->InsertRecord(uiText(NoCheckCameraRecordEntry).arg(c + 1));
    SlotReCheck();
}

void DrawROIWidget::SlotReturn()
{
    if (gpNumCharInput && gpNumCharInput->isVisible())
        gpNumCharInput->HideUpdate();
    hideImageBrowser();
    for (int c = 0; c < camerasInUse(); ++c) {
        if (CammerWidget *view = mainWindow->cameraViews[c]) {
            view->currentTemplate = 0;
            view->CancelEditing();
            view->UpdateRegionPanel();
        }
    }
    mainWindow->MScaleSetToMin();
    SlotSaveData();
    if (alarmLatched())
        pComboChangeSource->setCurrentIndex(EditorSources::Live);
    else
        closeEditor();
    for (int c = 0; c < camerasInUse(); ++c) {
        if (CammerWidget *view = mainWindow->cameraViews[c])
            view->UploadConfig();
    }
    mainWindow->SetZoomSliderVisible(false);
}
