// The commit step of the settings dialog: refusals, the save question, the record row, the
// derived fields, the commit and save, and bringing the cameras and engines in line; or, on
// No, the cameras back to the live record.

#include "settings/SystemParamDialog.h"

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "inspection/DetectAlgorithm.h"
#include "settings/SettingsChange.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/tipbox.h"

#include <QSqlQuery>

#include <algorithm>

namespace {

constexpr int NoDetectionEntry = 232;
constexpr int SaveQuestionEntry = 234;
constexpr int RestartImagesEntry = 276;
constexpr int RestartModeEntry = 277;
constexpr int RestartPortEntry = 309;

constexpr int DetectionKinds[] = {Param::DefectToolEnabled,     Param::SpotToolEnabled,
                                  Param::BlackAreaToolEnabled,  Param::WhiteAreaToolEnabled,
                                  Param::WhiteCountToolEnabled, Param::TemperatureToolEnabled,
                                  Param::SimilarityToolEnabled};

CammerWidget *cameraView(int c)
{
    return mainWindow ? mainWindow->cameraViews[c] : nullptr;
}

bool differs(const SystemParameters &a, const SystemParameters &b, int first, int count)
{
    for (int i = first; i < first + count; ++i)
        if (a[i] != b[i])
            return true;
    return false;
}

// The boxes are windows of their own: the kit's boxes become plain child widgets when given a
// parent, which a hidden dialog would never show.
void warn(const QString &text)
{
    Warnbox box;
    box.setText(text);
    box.exec();
}

// The cameras take the live record's values again where the edit record differs: what the
// camera page applied while the operator tuned is undone.
void revertCameras(const SystemParameters &live, const SystemParameters &edited)
{
    using namespace Param;
    const bool exposureMode = live[AutoExposure] != edited[AutoExposure];
    const bool wideRange = live[WideDynamicRange] != edited[WideDynamicRange];
    for (int c = 0; c < camerasInUse(); ++c) {
        CammerWidget *view = cameraView(c);
        if (!view)
            continue;
        const auto changed = [&](int base) { return live[base + c] != edited[base + c]; };
        if (changed(Exposure) || exposureMode)
            view->ApplyExposure(false);
        if (changed(Gain))
            view->ApplyGain(false);
        if (changed(Sharpness))
            view->ApplySharpness(false);
        if (changed(Contrast))
            view->ApplyContrast(false);
        if (changed(Gamma))
            view->ApplyGamma(false);
        if (wideRange)
            view->ApplyWideDynamicRange(false);
        if (changed(MirrorHorizontal) || changed(MirrorVertical))
            view->ApplyMirror(false);
    }
}

void repaintCameras()
{
    for (int c = 0; c < camerasInUse(); ++c)
        if (CammerWidget *view = cameraView(c))
            view->update();
}

int stagesInUse()
{
    return std::clamp(detectsPerCamera, 0, int(CammerWidget::StageCount));
}

} // namespace

void SystemParamDialog::ApplyChanges()
{
    using namespace Param;
    SystemParameters &live = *currentParams;
    SystemParameters &edit = *editParams;

    bool anyCameraEnabled = false;
    for (int c = 0; c < camerasInUse(); ++c)
        anyCameraEnabled = anyCameraEnabled || edit[CameraEnabled + c] != 0;
    const bool anyDetection = std::any_of(std::begin(DetectionKinds), std::end(DetectionKinds),
                                          [&](int index) { return edit[index] != 0; });
    if (!anyDetection || !anyCameraEnabled) {
        // Nothing is committed; the cameras are not left on values that were never accepted.
        revertCameras(live, edit);
        warn(!anyDetection ? uiText(NoDetectionEntry)
                                 : tr("所有相机均未启用，请重新确认要启用的相机"));
        return;
    }
    if (edit == live) {
        repaintCameras();
        return;
    }

    tipbox question(2, nullptr, 600, 420);
    question.setText(uiText(SaveQuestionEntry));
    if (question.exec() != 1) {
        revertCameras(live, edit);
        edit = live;
        repaintCameras();
        return;
    }

    // What changed, judged on the records as they stood before anything was derived.
    const SystemParameters before = live;
    const auto changed = [&](int index) { return before[index] != edit[index]; };
    const bool colourChanged = differs(before, edit, ColourOutput, CameraSlotCount);
    const bool enableChanged = differs(before, edit, CameraEnabled, CameraSlotCount);
    const bool positioningChanged = changed(MotionCorrection) || changed(RotationRange);
    const bool modeChanged = changed(ConfiguredMachineMode);
    const QString text = settingsChangeText(before, edit);

    const int side = deriveSettings(edit);
    if (side >= 0 && mainWindow)
        mainWindow->setCurrentSide(side);
    live = edit;
    const bool saved = live.SaveAll(ParameterManager::instance()->paramQuery());
    if (mainWindow)
        mainWindow->InsertRecord(saved ? text : text + tr("（未能保存，重启后失效）"));

    const auto eachEngine = [&](auto &&work) {
        for (int c = 0; c < camerasInUse(); ++c)
            if (CammerWidget *view = cameraView(c))
                work(view);
    };
    const auto eachEnabledStage = [&](CammerWidget *view, auto &&work) {
        if (!view->engine)
            return;
        for (int k = 0; k < stagesInUse(); ++k)
            if (live[StageEnabled + k] != 0)
                work(*view->engine, k);
    };

    if (changed(ExternalTrigger))
        eachEngine([](CammerWidget *view) { view->ApplyTriggerMode(false); });
    if (changed(FrameRate) && mainWindow)
        mainWindow->ApplyCameraFrameRate();
    if (enableChanged && mainWindow)
        mainWindow->UpdateCameraPanels();
    const bool positionsRebuilt = positioningChanged || changed(PositioningOffset);
    if (positionsRebuilt || changed(MouldSide)) {
        eachEngine([&](CammerWidget *view) {
            eachEnabledStage(view, [](DetectAlgorithm &engine, int k) {
                engine.buildPositioningModel(k);
                engine.buildRegistrationReference(k);
            });
        });
    }
    if (changed(ProductStage) || changed(CopyRegions) || changed(MouldSide)) {
        const int mode = live[MachineMode];
        const bool copy = live[CopyRegions] != 0
                          && ((live[ProductStage] != 0 && mode == 0) || mode == 1 || mode == 2);
        eachEngine([&](CammerWidget *view) {
            if (copy) {
                view->CopyPara();
                QSqlQuery query = ParameterManager::instance()->paramQuery();
                if (!view->activeConfig->save(query))
                    qCritical("camera %d: copied regions not saved", view->cameraIndex + 1);
            }
            eachEnabledStage(view, [&](DetectAlgorithm &engine, int k) {
                if (!positionsRebuilt)
                    engine.buildPositioningModel(k);
                engine.prepareComparators(k);
            });
        });
    } else if (changed(Amplify)) {
        eachEngine([&](CammerWidget *view) {
            eachEnabledStage(view, [](DetectAlgorithm &engine, int k) { engine.prepareComparators(k); });
        });
    }

    if (!saved)
        warn(tr("参数未能保存：修改只在本次运行中有效"));
    if (changed(TemplateCount) || changed(NgImagesToKeep) || changed(OkImagesToKeep))
        warn(uiText(RestartImagesEntry));
    if (changed(IoPort) || colourChanged || changed(ColourToGrey) || changed(192))
        warn(uiText(RestartPortEntry));
    // The number of detect stages per camera follows the machine mode from the next start.
    if (modeChanged)
        warn(uiText(RestartModeEntry));
    repaintCameras();
}
