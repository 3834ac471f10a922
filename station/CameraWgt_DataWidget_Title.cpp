#include "station/CameraWgt_DataWidget_Title.h"

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "station/CameraWgtBox.h"
#include "station/CameraWgt_DataWidget.h"
#include "station/MoJuWizard.h"
#include "station/RunCodes.h"
#include "station/RunSettings.h"
#include "uikit/MultipleBtnGroup.h"
#include "uikit/StyleHelpers.h"
#include "uikit/Warnbox.h"

#include <QButtonGroup>
#include <QColor>
#include <QLabel>

namespace {

// Below this a countdown is over; it would only flicker "0.01".
constexpr float CountdownShownAbove = 0.02f;

} // namespace

CameraWgt_DataWidget_Title::CameraWgt_DataWidget_Title(QWidget *parent)
    : QWidget(parent)
    , owner(qobject_cast<CameraWgt_DataWidget *>(parent))
{
    if (!owner)
        return;
    setFixedHeight(TitleHeight);
    cameraIndex = owner->cameraIndex;

    camLabel = new QLabel(tr("相机%1").arg(cameraIndex + 1), this);
    camLabel->setObjectName(QStringLiteral("cameraLabel"));
    camLabel->installEventFilter(this);

    btnGroup = new MultipleBtnGroup(cameraCount, this);
    btnGroup->setObjectName(QStringLiteral("_pBtnGroup"));
    markTitleButton(btnGroup, cameraIndex);
    if (auto *group = btnGroup->findChild<QButtonGroup *>(QStringLiteral("btnGroup")))
        connect(group, &QButtonGroup::idClicked, this,
                &CameraWgt_DataWidget_Title::cameraButtonClicked);

    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("_lab_runstatus"));
}

CameraWgt_DataWidget_Title::RunStatus CameraWgt_DataWidget_Title::runStatus(int runState, int cyclePhase)
{
    if (runState == RunStates::Sampling)
        return {QColor(Qt::cyan).name(), tr("取样中")};
    if (runState == RunStates::Stopped)
        return {QStringLiteral("#FF0000"), tr("停止中")};
    QString text;
    switch (cyclePhase) {
    case CyclePhases::Delaying: text = tr("检测中"); break;
    case CyclePhases::Captured: text = tr("检测完"); break;
    case CyclePhases::Idle: text = tr("等待中"); break;
    default: break;
    }
    return {QStringLiteral("#00FF00"), text};
}

QString CameraWgt_DataWidget_Title::stageName(int detect, int machineMode)
{
    if (twoSidedMode(machineMode)) {
        switch (detect) {
        case 0: return tr("左成品");
        case 1: return tr("左模腔");
        case 2: return tr("右成品");
        case 3: return tr("右模腔");
        default: return QString();
        }
    }
    switch (detect) {
    case 0: return tr("成品");
    case 1: return tr("模腔");
    default: return QString();
    }
}

QString CameraWgt_DataWidget_Title::statusLine(int camera, const QString &stage,
                                               const QString &status, float countdown)
{
    QString line = tr("%1号相机 %2 %3").arg(QString::number(camera + 1), stage, status);
    if (countdown > CountdownShownAbove)
        line += QLatin1Char(' ') + QString::number(double(countdown), 'g', 3);
    return line;
}

void CameraWgt_DataWidget_Title::updateStatus()
{
    if (!built() || !mainWindow)
        return;
    const RunStatus status = runStatus(mainWindow->RunState, mainWindow->cyclePhase);
    const QString stage = stageName(mainWindow->currentDetect(), runSetting(Param::MachineMode));
    const QString line = statusLine(cameraIndex, stage, status.text, mainWindow->activeCountdown());
    const QString rich = colorText(status.colour, line);
    // Setting the same rich text again would lay the label out anew every 100 ms.
    if (statusLabel->text() != rich)
        statusLabel->setText(rich);
}

void CameraWgt_DataWidget_Title::setSingleView(bool single)
{
    if (!built())
        return;
    camLabel->setVisible(!single);
    btnGroup->setVisible(single);
    update();
}

QString CameraWgt_DataWidget_Title::styleSheetText() const
{
    return QStringLiteral("QWidget{background-color:#353D45;outline:0px;border:none;}");
}

void CameraWgt_DataWidget_Title::cameraButtonClicked(int id)
{
    const CameraWgtBox *box = owner ? owner->gridBox() : nullptr;
    if (id != -1 && box && !box->isPanelEnabled(id)) {
        auto *warning = new Warnbox;
        connect(warning, &QDialog::finished, warning, &QObject::deleteLater);
        warning->setText(tr("此相机未启用！"));
        warning->exec();
        update();
        return;
    }
    emit owner->sigChangeCameraLayout(id);
    update();
}
