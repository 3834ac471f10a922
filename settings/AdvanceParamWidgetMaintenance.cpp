// The maintenance operations of the advanced page: export, update, exit, time, touch
// calibration, factory reset and the version download.

#include "settings/AdvanceParamWidget.h"

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/PlatformHelpers.h"
#include "core/SystemParameters.h"
#include "platform/system/SystemActions.h"
#include "settings/ExportData.h"
#include "settings/LongWork.h"
#include "settings/MaintenanceLocations.h"
#include "settings/SystemParamDialog.h"
#include "settings/UpdatePackage.h"
#include "settings/VersionDownloadDialog.h"
#include "station/MoJuWizard.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/modifyTimeWidget.h"
#include "uikit/tipbox.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QPushButton>
#include <QVector>

#include <algorithm>

namespace {

constexpr int ExportedEntry = 147;
constexpr int ExitQuestionEntry = 294;
constexpr int ExitRecordEntry = 295;
constexpr int ExitNoticeEntry = 296;
constexpr int NoStickEntry = 320;
constexpr int UpdateQuestionEntry = 323;
constexpr int ExportQuestionEntry = 324;
constexpr int TimeRecordEntry = 401;
constexpr int TimeQuestionEntry = 402;
constexpr int FactoryResetEntry = 551;
// Long enough for any calibration by hand; the program is only waited for.
constexpr int CalibrationWaitMs = 30 * 60 * 1000;

const char factoryPackage[] = "paraGroup/default/20clearsh.tar.gz";

QStringList rawFrameFolders()
{
    QStringList folders;
    const int cameras = std::clamp(cameraCount, 0, 8);
    const int stages = std::clamp(detectsPerCamera, 0, 8);
    for (int c = 1; c <= cameras; ++c)
        for (int d = 1; d <= stages; ++d)
            folders << QStringLiteral("./originalimage/cammer%1%2").arg(c).arg(d);
    return folders;
}

void saveAll()
{
    if (!currentParams->SaveAll(ParameterManager::instance()->paramQuery()))
        qCritical("the settings could not be saved");
}

} // namespace

bool AdvanceParamWidget::mountStick()
{
    while (mountUsbDisk().isEmpty()) {
        if (ask(uiText(NoStickEntry)) != 1)
            return false;
    }
    return true;
}

void AdvanceParamWidget::SlotExportData()
{
    if (ask(uiText(ExportQuestionEntry)) != 1 || !mountStick())
        return;
    const MaintenanceLocations &where = maintenanceLocations();
    const QString folder = QDir(where.usbFolder)
                               .filePath(QDateTime::currentDateTime().toString(
                                   QStringLiteral("yyyy-MM-dd_hh.mm.ss")));
    const QString install = where.installFolder;
    const QStringList frames = rawFrameFolders();
    ExportResult result = ExportResult::CopyFailed;
    {
        // Gone before the result is shown.
        tipbox progress(tipbox::NoButtons);
        progress.setText(tr("正在导出数据，请稍候……"));
        progress.show();
        runLongWork(window(), [&] {
            result = exportProgramFolder(install, folder, frames);
            return result == ExportResult::Exported;
        });
    }
    systemActions()->syncDisks();
    systemActions()->unmount(where.usbFolder);
    switch (result) {
    case ExportResult::Exported:
        notify(uiText(ExportedEntry));
        break;
    case ExportResult::FramesKept:
        warn(tr("数据已导出，但部分原始图像未能从本机删除"));
        break;
    case ExportResult::CopyFailed:
        warn(tr("导出失败：数据未能完整复制到U盘，本机原始图像已保留"));
        break;
    }
}

void AdvanceParamWidget::SlotUpdateApp()
{
    if (!mountStick())
        return;
    QFileDialog chooser(this, tr("选择投影数据文件目录"), maintenanceLocations().usbFolder);
    chooser.setFileMode(QFileDialog::AnyFile);
    chooser.setViewMode(QFileDialog::List);
    chooser.setFixedSize(mainViewWidth - 50, mainViewHeight - 100);
    chooser.setNameFilter(QStringLiteral("*.[r,t]ar*"));
    chooser.setFont(QFont(QStringLiteral("SimHei"), 20));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const QString path = chooser.selectedFiles().first();
    if (path.size() < 3 || ask(uiText(UpdateQuestionEntry)) != 1)
        return;
    QString target;
    switch (takeOverUpdatePackage(path, &target)) {
    case PackageTakeOver::Copied:
        // Unpacked at the next start; the program runs on with its databases open.
        qInfo("update package %s taken over as %s", qPrintable(path), qPrintable(target));
        break;
    case PackageTakeOver::NotAPackage:
        break;
    case PackageTakeOver::WrongKind:
        warn(tr("所选文件不是有效的升级包"));
        break;
    case PackageTakeOver::CopyFailed:
        warn(tr("升级包复制失败"));
        break;
    }
}

void AdvanceParamWidget::SlotExit()
{
    if (ask(uiText(ExitQuestionEntry)) != 1)
        return;
    if (mainWindow)
        mainWindow->InsertRecord(uiText(ExitRecordEntry));
    dialog->StoreAllTabs();
    dialog->ApplyChanges();
    saveAll();
    notify(uiText(ExitNoticeEntry));
    // In order: cameras stopped, outputs to their idle levels, databases closed; main() then
    // stops the I/O thread and the image archiver once the event loop has ended.
    if (mainWindow)
        mainWindow->CloseCameras();
    dialog->prepareForPowerAction();
    systemActions()->exitApplication(0);
}

void AdvanceParamWidget::SlotModifyTime()
{
    // A window of its own (the picker turns into a plain child widget when given a parent);
    // it deletes itself when closed, and goes with the page at the latest.
    auto *picker = new modifyTimeWidget;
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QObject::destroyed, picker, &QObject::deleteLater);
    if (mainWindow)
        picker->move(mainWindow->mapToGlobal(QPoint((mainWindow->width() - picker->width()) / 2,
                                                    (mainWindow->height() - picker->height()) / 2)));
    // Nothing else is pressed while the time is chosen, so the page is still there for the answer.
    picker->setWindowModality(Qt::ApplicationModal);
    // Queued: the picker has closed before the question is asked.
    connect(picker, &modifyTimeWidget::sendModifyTime, this, &AdvanceParamWidget::TimeChosen,
            Qt::QueuedConnection);
    picker->show();
}

void AdvanceParamWidget::TimeChosen(const QDateTime &time)
{
    if (ask(uiText(TimeQuestionEntry)) != 1)
        return;
    if (!systemActions()->setClock(time)) {
        // A reboot would bring back the old time: nothing else happens.
        warn(tr("系统时间修改失败"));
        return;
    }
    dialog->StoreAllTabs();
    dialog->ApplyChanges();
    saveAll();
    if (mainWindow)
        mainWindow->InsertRecord(uiText(TimeRecordEntry));
    dialog->prepareForPowerAction();
    dialog->powerAction(true);
}

void AdvanceParamWidget::SlotCalibration()
{
    // The calibration takes the screen; the board keeps its heartbeat meanwhile.
    runLongWork(window(), [] {
        const int status = systemActions()->runProgram(QStringLiteral("./tsc"), {}, CalibrationWaitMs);
        if (status != 0)
            qWarning("touch calibration ended with status %d", status);
        return status == 0;
    });
    dialog->prepareForPowerAction();
    dialog->powerAction(true);
}

void AdvanceParamWidget::SlotRestoreFactorySet()
{
    if (ask(uiText(FactoryResetEntry) + QLatin1Char('?')) != 1)
        return;
    const QString source = QString::fromLatin1(factoryPackage);
    if (!QFileInfo(source).isFile()) {
        warn(tr("出厂设置包不存在，未能重置"));
        return;
    }
    // A package already waiting is replaced: the operator asked for the factory state.
    const QString target = QDir(maintenanceLocations().installFolder).filePath(QStringLiteral("newupdate.tar.gz"));
    if (!systemActions()->copyFile(source, target) || QFileInfo(target).size() != QFileInfo(source).size()) {
        systemActions()->removeFile(target);
        warn(tr("出厂设置包复制失败，未能重置"));
        return;
    }
    systemActions()->syncDisks();
    notify(tr("出厂设置将在下次启动时恢复"));
}

void AdvanceParamWidget::SlotToVerion()
{
    auto *button = findChild<QPushButton *>(QStringLiteral("pCButtonVersionLibrary"));
    if (button)
        button->setEnabled(false);
    // The listing is read while the dialog is built; nothing else on the page is started
    // meanwhile, while the dialog's own cancel stays usable.
    QVector<QPair<QPointer<QWidget>, bool>> others;
    for (QWidget *other : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        others.append({other, other->isEnabled()});
        other->setEnabled(false);
    }
    VersionDownloadDialog versions(this);
    for (const auto &other : qAsConst(others))
        if (other.first)
            other.first->setEnabled(other.second);
    int result = 0;
    if (versions.serverReachable) {
        result = versions.exec();
    } else {
        Warnbox box;
        box.setText(tr("网络异常无法访问"));
        result = box.exec();
    }
    if (button && result == QDialog::Accepted)
        button->setEnabled(true);
}
