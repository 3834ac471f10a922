#include "station/CameraWgt_DataWidget_Title_Normal.h"

#include "station/CameraWgt_DataWidget.h"
#include "station/CammerWidget.h"
#include "station/ProductionCounters.h"
#include "uikit/MultipleBtnGroup.h"
#include "uikit/StyleHelpers.h"

#include <QColor>
#include <QHBoxLayout>
#include <QLabel>
#include <QVariant>

namespace {

const char resultLabelName[] = "_lab_result";
const char okStyle[] =
    "QLabel#_lab_result{color:white;background-color:#4CAF50;font-size:45px;text-align:center;}";
const char ngStyle[] =
    "QLabel#_lab_result{color:white;background-color:#F44336;font-size:45px;text-align:center;}";

} // namespace

CameraWgt_DataWidget_Title_Normal::CameraWgt_DataWidget_Title_Normal(QWidget *parent)
    : CameraWgt_DataWidget_Title(parent)
{
    if (!built())
        return;
    report = new QLabel(this);
    report->setObjectName(QStringLiteral("_lab_detectreport"));
    report->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    result = new QLabel(this);
    result->setObjectName(QString::fromLatin1(resultLabelName));
    result->setProperty("isok", false);
    result->setAlignment(Qt::AlignCenter);
    result->setMinimumSize(100, 50);
    result->setStyleSheet(QStringLiteral("QLabel{color:white;background-color:#4CAF50;font-size:45px}"));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(cameraLabel());
    row->addWidget(buttonGroup(), 0, Qt::AlignTop);
    row->addWidget(report);
    row->addWidget(runStatusLabel());
    row->addWidget(result);

    setDarkStyleSheet(this, styleSheetText());
    setAttribute(Qt::WA_StyledBackground);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
}

QString CameraWgt_DataWidget_Title_Normal::styleSheetText() const
{
    return CameraWgt_DataWidget_Title::styleSheetText()
        + QStringLiteral("QLabel#%1{color:white;background-color:#4CAF50;font-size:45px;text-align:center;}"
                         "QLabel#%1[isok = false]{color:white;background-color:#F44336;font-size:45px;text-align:center;}")
              .arg(QString::fromLatin1(resultLabelName));
}

void CameraWgt_DataWidget_Title_Normal::updateStatus()
{
    CameraWgt_DataWidget_Title::updateStatus();
    if (!built())
        return;
    const int c = cameraIndexValue();
    CammerWidget *view = panel()->cammerWidget();
    const QString white = QColor(Qt::white).name();
    const QString cyan = QColor(Qt::cyan).name();
    const bool counted = c >= 0 && c < CounterCameraCount;
    const QString text = colorText(white, tr("帧率 ")) + colorText(cyan, QString::number(view ? view->fps : 0))
        + QLatin1Char(' ') + colorText(white, tr("NG数 "))
        + colorText(cyan, QString::number(counted ? cameraNgCount[c] : 0)) + QLatin1Char(' ')
        + colorText(white, tr("总数 ")) + colorText(cyan, QString::number(counted ? cameraTotalCount[c] : 0))
        + QLatin1Char(' ');
    if (report->text() != text)
        report->setText(text);

    const bool ok = !view || view->results->resultOk;
    if (result->property("isok").toBool() != ok) {
        result->setStyleSheet(QString::fromLatin1(ok ? okStyle : ngStyle));
        result->setText(ok ? QStringLiteral("OK") : QStringLiteral("NG"));
        result->setProperty("isok", ok);
        result->update();
    }
    // The 100 ms repaint of the camera view while its panel shows the run title.
    if (view)
        view->update();
}
