// The page's template and image record commands: paging, adding and deleting templates, the
// recent NG images and the stored OK and NG result images.

#include "station/DrawROIWidget.h"

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "inspection/DetectAlgorithm.h"
#include "inspection/FrameConversions.h"
#include "machineio/IOGlobals.h"
#include "station/CammerWidget.h"
#include "station/ImageBrowser.h"
#include "station/ImageRecords.h"
#include "station/MoJuWizard.h"
#include "station/RegionPageTexts.h"
#include "station/RunCodes.h"
#include "station/RunSettings.h"
#include "station/StationGlobals.h"
#include "station/TemplateFiles.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/inputbox.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

// UI text entries.
constexpr int FirstTemplateEntry = 68;
constexpr int DeleteTemplateQuestionEntry = 69;
constexpr int TemplateDeletedEntry = 70;
constexpr int AllTemplatesDeletedEntry = 71;
constexpr int AddTemplateQuestionEntry = 108;
constexpr int TemplateAddedEntry = 109;
constexpr int OneTemplateOnlyEntry = 258;

} // namespace

using namespace RegionPageTexts;

void DrawROIWidget::hideImageBrowser()
{
    if (mainWindow->imageBrowser && mainWindow->imageBrowser->browserWidget())
        mainWindow->imageBrowser->browserWidget()->hide();
}

bool DrawROIWidget::permitted(int guardSetting)
{
    if (runSetting(guardSetting) != 0 && runSetting(Param::PasswordUsed) == 0) {
        inputbox prompt(1);
        return prompt.exec() == QDialog::Accepted && mainWindow->userLevel() > 0;
    }
    return mainWindow->requireLogin() != 0;
}

void DrawROIWidget::repaintViews()
{
    for (int c = 0; c < camerasInUse(); ++c) {
        if (CammerWidget *view = mainWindow->cameraViews[c])
            view->update();
    }
}

CammerWidget *DrawROIWidget::pagingView() const
{
    CammerWidget *view = shownView();
    const int d = mainWindow->editDetect;
    if (!view || d < 0 || d >= detectsPerCamera || size_t(d) >= view->templateValid.size())
        return nullptr;
    const int slotCount = int(view->templateValid[size_t(d)].size());
    return view->currentTemplate >= 0 && view->currentTemplate < slotCount ? view : nullptr;
}

// Free slots are skipped in both directions, round the end.
void DrawROIWidget::stepTemplate(int direction)
{
    CammerWidget *view = pagingView();
    if (!view)
        return;
    const int d = mainWindow->editDetect;
    const std::vector<int> &used = view->templateValid[size_t(d)];
    const int slotCount = int(used.size());
    int slot = view->currentTemplate;
    for (int i = 0; i < slotCount; ++i) {
        slot = (slot + direction + slotCount) % slotCount;
        if (used[size_t(slot)])
            break;
    }
    view->currentTemplate = slot;
    showTemplate(view, d);
}

// Index 0 is the newest of the (at most three) recent NG images.
void DrawROIWidget::stepRecentNg(int direction)
{
    CammerWidget *view = pagingView();
    if (!view)
        return;
    const int d = mainWindow->editDetect;
    const int n = std::min(view->recentNgCount[d], int(CammerWidget::RecentNgSlots));
    int &index = view->recentNgShown;
    if (direction > 0)
        index = n == 0 || index >= n - 1 ? 0 : index + 1;
    else
        index = index <= 0 ? std::max(n - 1, 0) : index - 1;
    showRecentNgImage(view, d);
}

void DrawROIWidget::stepRecord(int direction)
{
    if (!pagingView() || recordCount == 0)
        return;
    recordIndex = ((recordIndex + direction) % recordCount + recordCount) % recordCount;
    LoadPic();
    emitRecordCaption();
    repaintViews();
}

void DrawROIWidget::emitRecordCaption()
{
    if (recordCount > 0)
        emit recentNgImg((recordIsOk ? tr("OK记录共%1张图片 当前为第%2张 %3") : tr("NG记录共%1张图片 当前为第%2张 %3"))
                             .arg(recordCount)
                             .arg(recordIndex + 1)
                             .arg(recordFileName));
    else
        emit recentNgImg(recordIsOk ? tr("OK记录共0张图片") : tr("NG记录共0张图片"));
}

void DrawROIWidget::SlotTempNext()
{
    switch (editorSource) {
    case EditorSources::Template:
        stepTemplate(1);
        break;
    case EditorSources::RecentNg:
        stepRecentNg(1);
        break;
    case EditorSources::OkRecords:
    case EditorSources::NgRecords:
        stepRecord(1);
        break;
    default:
        repaintViews();
        break;
    }
}

void DrawROIWidget::SlotTempLast()
{
    switch (editorSource) {
    case EditorSources::Template:
        stepTemplate(-1);
        break;
    case EditorSources::RecentNg:
        stepRecentNg(-1);
        break;
    case EditorSources::OkRecords:
    case EditorSources::NgRecords:
        stepRecord(-1);
        break;
    default:
        repaintViews();
        break;
    }
}

// The image browser's entry: a template slot number, or a position in the record list
// (newest first, as LoadPic lists it).
void DrawROIWidget::SlotTempList(int index)
{
    CammerWidget *view = pagingView();
    if (!view)
        return;
    if (editorSource == EditorSources::Template) {
        const std::vector<int> &used = view->templateValid[size_t(mainWindow->editDetect)];
        if (index < 0 || size_t(index) >= used.size() || !used[size_t(index)])
            return;
        view->currentTemplate = index;
        showTemplate(view, mainWindow->editDetect);
    } else if (editorSource == EditorSources::OkRecords || editorSource == EditorSources::NgRecords) {
        if (recordCount == 0 || index < 0)
            return;
        recordIndex = index;
        LoadPic();
        emitRecordCaption();
        repaintViews();
    } else {
        repaintViews();
    }
}

void DrawROIWidget::LoadPic()
{
    const int c = mainWindow->currentCamera;
    const int d = mainWindow->editDetect;
    recordCamera = cameraInUse(c) ? c : 0;
    recordDetect = d >= 0 && d < detectsPerCamera ? d : 0;
    const QFileInfoList files = recordFiles(recordCamera, recordDetect, recordIsOk != 0);
    recordCount = files.size();
    if (recordCount == 0) {
        recordIndex = 0;
        recordFileName.clear();
        recordImage = QImage();
        return;
    }
    recordIndex = std::clamp(recordIndex, 0, recordCount - 1);
    const QFileInfo &file = files.at(recordIndex);
    recordFileName = file.completeBaseName();
    // A file that cannot be read leaves the picture empty.
    if (!recordImage.load(file.filePath()))
        recordImage = QImage();
}

void DrawROIWidget::SlotAddTemp()
{
    hideImageBrowser();
    const bool latchedLive = alarmLatched() && editorSource == EditorSources::Live;
    if (latchedLive) {
        const CammerWidget *view = shownView();
        if (!view || view->results->resultOk) {
            warn(uiText(SwitchToAlarmCameraEntry));
            return;
        }
        if (runSetting(Param::OpenDoorFirst) != 0 && !doorOpenedSinceAlarm) {
            warn(uiText(OpenDoorEntry));
            return;
        }
    }
    if (maxTemplateCount <= 1) {
        warn(uiText(OneTemplateOnlyEntry));
        return;
    }
    if (!permitted(Param::AddTemplateAsksLogin))
        return;
    const int s = latchedLive ? mainWindow->currentDetect() : mainWindow->editDetect;
    if (!confirm(uiText(AddTemplateQuestionEntry)))
        return;
    // The boxes ran event loops: what is shown may have changed meanwhile.
    CammerWidget *view = shownView();
    if (!view)
        return;
    if (alarmLatched() && editorSource != EditorSources::Live && editorSource != EditorSources::RecentNg)
        return;
    if (mainWindow->DisplayMode == DisplayModes::Editor && editorSource != EditorSources::RecentNg)
        return;
    if (s < 0 || size_t(s) >= view->templates.size() || s >= CammerWidget::StageCount)
        return;
    const int camera = view->cameraIndex;
    mainWindow->InsertRecord(uiText(TemplateAddedEntry).arg(camera + 1));

    std::vector<int> &used = view->templateValid[size_t(s)];
    const int slotCount = int(used.size());
    int slot = -1;
    if (view->validTemplateCount[s] < slotCount) {
        slot = int(std::find(used.begin(), used.end(), 0) - used.begin());
        used[size_t(slot)] = 1;
        ++view->validTemplateCount[s];
    } else {
        slot = templateSlotToReplace(camera, s, slotCount);
    }
    std::vector<uchar> &buffer = view->templates[size_t(s)][size_t(slot)];
    if (editorSource == EditorSources::RecentNg) {
        if (const std::vector<uchar> *picture = recentNgImage(view, mainWindow->editDetect, view->recentNgShown))
            buffer = *picture;
    } else {
        buffer = view->judgedPicture();
    }
    buffer.resize(size_t(view->frameBytes), 0);
    if (!saveTemplateImage(templateFilePath(camera, s, slot), view->imageWidth, view->imageHeight, view->isColor,
                           buffer.data()))
        qWarning("camera %d stage %d: template %d is in use but not stored", camera + 1, s + 1, slot);

    if (alarmLatched() && editorSource == EditorSources::Live) {
        if (view->engine)
            view->engine->prepareComparators(s);
        view->ngHandled[s] = true;
        int &code = mainWindow->ResultCode[camera][s];
        if (code == ResultCodes::NgKept)
            code = ResultCodes::NgAsTemplate;
        SlotReCheck();
    } else {
        templatesChanged[camera] = true;
    }
}

void DrawROIWidget::SlotTempDeleteCur()
{
    CammerWidget *view = shownView();
    if (!view)
        return;
    if (view->currentTemplate == 0) {
        warn(uiText(FirstTemplateEntry));
        return;
    }
    if (!confirm(uiText(DeleteTemplateQuestionEntry)) || shownView() != view)
        return;
    const int n = view->currentTemplate;
    const int d = mainWindow->editDetect;
    if (d < 0 || size_t(d) >= view->templateValid.size() || d >= CammerWidget::StageCount || n <= 0
        || size_t(n) >= view->templateValid[size_t(d)].size())
        return;
    int &used = view->templateValid[size_t(d)][size_t(n)];
    if (used) {
        used = 0;
        --view->validTemplateCount[d];
    }
    templatesChanged[view->cameraIndex] = true;
    const QString path = templateFilePath(view->cameraIndex, d, n);
    if (QFile::exists(path) && !QFile::remove(path))
        qWarning("template %s could not be deleted", qPrintable(path));
    SlotTempNext();
    mainWindow->InsertRecord(uiText(TemplateDeletedEntry).arg(view->cameraIndex + 1).arg(n + 1));
}

void DrawROIWidget::SlotTempDeleteAll()
{
    for (int c = 0; c < camerasInUse(); ++c) {
        CammerWidget *view = mainWindow->cameraViews[c];
        if (!view)
            continue;
        view->currentTemplate = 0;
        templatesChanged[c] = true;
        for (int d = 0; d < detectsPerCamera && size_t(d) < view->templateValid.size() && d < CammerWidget::StageCount;
             ++d) {
            std::vector<int> &used = view->templateValid[size_t(d)];
            std::fill(used.begin() + std::min<size_t>(1, used.size()), used.end(), 0);
            view->validTemplateCount[d] = 1;
            QDir folder(stageFolder(c, d));
            for (const QString &name : folder.entryList({QStringLiteral("template*")}, QDir::Files)) {
                if (!folder.remove(name))
                    qWarning("template %s could not be deleted", qPrintable(folder.filePath(name)));
            }
        }
    }
    mainWindow->InsertRecord(uiText(AllTemplatesDeletedEntry));
}
