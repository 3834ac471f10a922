// The commit step of the settings dialog, in its steps: refusals, the save question, the
// derived fields and the commit, the save (copied regions included), the record row, bringing
// the cameras and engines in line, and the notices; or, on No, the cameras back to the live
// record.

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
#include "station/RunSettings.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/tipbox.h"

#include <QSqlQuery>
#include <QVector>

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

// Why the edit record cannot be accepted; empty when it can.
QString refusal(const SystemParameters &edit)
{
    using namespace Param;
    bool anyCameraEnabled = false;
    for (int c = 0; c < camerasInUse(); ++c)
        anyCameraEnabled = anyCameraEnabled || edit[CameraEnabled + c] != 0;
    const bool anyDetection = std::any_of(std::begin(DetectionKinds), std::end(DetectionKinds),
                                          [&](int index) { return edit[index] != 0; });
    if (!anyDetection)
        return uiText(NoDetectionEntry);
    if (!anyCameraEnabled)
        return SystemParamDialog::tr("所有相机均未启用，请重新确认要启用的相机");
    return QString();
}

bool operatorAccepts()
{
    tipbox question(tipbox::OkCancelButtons);
    question.setText(uiText(SaveQuestionEntry));
    return question.exec() == QDialog::Accepted;
}

// What an accepted edit changes, judged on the live record as it stood before anything was
// derived from the edit.
struct SettingsDelta
{
    SystemParameters before;
    const SystemParameters &after;

    bool operator()(int index) const { return before[index] != after[index]; }
    bool any(int first, int count) const { return differs(before, after, first, count); }
};

// The derived fields are filled in and the edit becomes the live record.
void commitEdit(SystemParameters &live, SystemParameters &edit)
{
    const int side = deriveSettings(edit);
    if (side >= 0 && mainWindow)
        mainWindow->setCurrentSide(side);
    live = edit;
}

// The copied stages take their regions from their pair when the mould side, the product stage
// or the copying itself changed.
bool regionsToCopy(const SettingsDelta &changed, const SystemParameters &live)
{
    using namespace Param;
    if (!changed(ProductStage) && !changed(CopyRegions) && !changed(MouldSide))
        return false;
    return regionsCopied(live);
}

struct SaveOutcome
{
    bool parameters = true;
    QVector<int> regionsUnsaved;   // cameras whose copied regions were not stored

    bool complete() const { return parameters && regionsUnsaved.isEmpty(); }
};

// The live record is stored and, when regions are copied, every camera's copied regions with it.
SaveOutcome saveCommitted(const SystemParameters &live, bool copyRegions)
{
    SaveOutcome outcome;
    outcome.parameters = live.SaveAll(ParameterManager::instance()->paramQuery());
    if (!copyRegions)
        return outcome;
    for (int c = 0; c < camerasInUse(); ++c) {
        CammerWidget *view = cameraView(c);
        if (!view)
            continue;
        view->CopyPara();
        QSqlQuery query = ParameterManager::instance()->paramQuery();
        if (!view->activeConfig->save(query)) {
            qCritical("camera %d: copied regions not saved", view->cameraIndex + 1);
            outcome.regionsUnsaved.append(view->cameraIndex);
        }
    }
    return outcome;
}

// The cameras and engines are brought in line with the committed record.
void rebuild(const SettingsDelta &changed, const SystemParameters &live)
{
    using namespace Param;
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
    if (changed.any(CameraEnabled, CameraSlotCount) && mainWindow)
        mainWindow->UpdateCameraPanels();
    const bool positionsRebuilt = changed(MotionCorrection) || changed(RotationRange)
                                  || changed(PositioningOffset);
    if (positionsRebuilt || changed(MouldSide)) {
        eachEngine([&](CammerWidget *view) {
            eachEnabledStage(view, [](DetectAlgorithm &engine, int k) {
                engine.buildPositioningModel(k);
                engine.buildRegistrationReference(k);
            });
        });
    }
    if (changed(ProductStage) || changed(CopyRegions) || changed(MouldSide)) {
        eachEngine([&](CammerWidget *view) {
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
}

// What the operator must know: what was not stored, and what takes effect only after a restart.
void showNotices(const SettingsDelta &changed, const SaveOutcome &saved)
{
    using namespace Param;
    if (!saved.parameters)
        warn(SystemParamDialog::tr("参数未能保存：修改只在本次运行中有效"));
    for (int c : saved.regionsUnsaved)
        warn(SystemParamDialog::tr("相机%1复制的检测区域未能保存：修改只在本次运行中有效").arg(c + 1));
    if (changed(TemplateCount) || changed(NgImagesToKeep) || changed(OkImagesToKeep))
        warn(uiText(RestartImagesEntry));
    if (changed(IoPort) || changed.any(ColourOutput, CameraSlotCount) || changed(ColourToGrey)
        || changed(NoLensOptimization))
        warn(uiText(RestartPortEntry));
    // The number of detect stages per camera follows the machine mode from the next start.
    if (changed(ConfiguredMachineMode))
        warn(uiText(RestartModeEntry));
}

} // namespace

void SystemParamDialog::ApplyChanges()
{
    SystemParameters &live = *currentParams;
    SystemParameters &edit = *editParams;

    const QString refused = refusal(edit);
    if (!refused.isEmpty()) {
        // Nothing is committed; the cameras are not left on values that were never accepted.
        revertCameras(live, edit);
        warn(refused);
        return;
    }
    if (edit == live) {
        repaintCameras();
        return;
    }
    if (!operatorAccepts()) {
        revertCameras(live, edit);
        edit = live;
        repaintCameras();
        return;
    }

    const SettingsDelta changed{live, edit};
    const QString text = settingsChangeText(changed.before, edit);
    commitEdit(live, edit);
    const SaveOutcome saved = saveCommitted(live, regionsToCopy(changed, live));
    // The row tells what was stored: the parameters and the copied regions alike.
    if (mainWindow)
        mainWindow->InsertRecord(saved.complete() ? text : text + tr("（未能保存，重启后失效）"));
    rebuild(changed, live);
    showNotices(changed, saved);
    repaintCameras();
}
