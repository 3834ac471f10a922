#include "station/CameraWgt_DataWidget.h"

#include "core/Globals.h"
#include "station/CameraReportForm.h"
#include "station/CameraWgtBox.h"
#include "station/CameraWgt_DataWidget_Title_Normal.h"
#include "station/CameraWgt_DataWidget_Title_SetROI.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "station/RunCodes.h"
#include "station/TemplateTime.h"
#include "uikit/StyleHelpers.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int TitleHeight = 60;
constexpr int RunTitlePage = 0;
constexpr int ImageTitlePage = 1;

const char hideButtonStyle[] =
    "QPushButton#btn_hide{background-color:rgba(112,112,112,1);"
    "background-image:url(:/Arrow2LeftBold.png);background-position:center;"
    "background-repeat:no-repeat;border:1px solid #262E34;border-radius:4px;}"
    "QPushButton#btn_hide:hover{background-color:rgba(38,135,242,1);}";

} // namespace

CameraWgt_DataWidget::CameraWgt_DataWidget(QWidget *parent, int index)
    : QWidget(parent)
    , cameraIndex(index)
    , box(qobject_cast<CameraWgtBox *>(parent))
{
    if (!box)
        return;
    camera = box->cameras.value(cameraIndex);

    panelLayout = new QVBoxLayout(this);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    panelLayout->setSpacing(1);
    titleStack = new QStackedWidget(this);
    titleStack->setFixedHeight(TitleHeight);
    panelLayout->addWidget(titleStack);
    view = new CammerWidget(this, cameraIndex, camera);
    view->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    runTitle = new CameraWgt_DataWidget_Title_Normal(this);
    titleStack->addWidget(runTitle);
    setRoiTitle = new CameraWgt_DataWidget_Title_SetROI(this);
    titleStack->addWidget(setRoiTitle);
    report = new CameraReportForm(this);
    report->setObjectName(QStringLiteral("CameraReportForm"));
    hideBtn = new QPushButton(this);
    hideBtn->setObjectName(QStringLiteral("btn_hide"));
    hideBtn->setFixedSize(40, 80);

    connect(view, &CammerWidget::click, this, &CameraWgt_DataWidget::sigChangeCameraLayout);
    connect(hideBtn, &QPushButton::clicked, this, [this] { report->setVisible(!report->isVisible()); });
    setDarkStyleSheet(this);
    hideBtn->setStyleSheet(QString::fromLatin1(hideButtonStyle));
    setLayoutMode(0);
}

void CameraWgt_DataWidget::setLayoutMode(int mode)
{
    layoutMode = mode;
    if (!panelLayout)
        return;
    // Item 0, the title stack, stays; the view's sub-layout is made anew.
    while (panelLayout->count() > 1) {
        QLayoutItem *item = panelLayout->takeAt(panelLayout->count() - 1);
        if (QLayout *sub = item->layout()) {
            while (QLayoutItem *child = sub->takeAt(0))
                delete child;
        }
        delete item;
    }
    QBoxLayout *sub = nullptr;
    if (mode == 1) {
        sub = new QHBoxLayout;
        sub->addWidget(view, 2);
        sub->addWidget(report, 1, Qt::AlignTop);
    } else {
        sub = new QVBoxLayout;
        sub->addWidget(view, 0);
        sub->addWidget(report, 0);
    }
    panelLayout->addLayout(sub);
    update();
}

void CameraWgt_DataWidget::applyLayoutIndex(int index)
{
    if (!enabled)
        return;
    setVisible(index == -1 || index == cameraIndex);
    if (CameraWgt_DataWidget_Title *title = currentTitle())
        title->setSingleView(index != -1);
}

void CameraWgt_DataWidget::setTitleMode(int displayMode)
{
    if (!titleStack)
        return;
    switch (displayMode) {
    case DisplayModes::Normal:
    case DisplayModes::ResultShown:
        titleStack->setCurrentIndex(RunTitlePage);
        report->show();
        break;
    case DisplayModes::AlarmLatched:
        titleStack->setCurrentIndex(ImageTitlePage);
        report->hide();
        break;
    case DisplayModes::Editor: {
        titleStack->setCurrentIndex(ImageTitlePage);
        report->hide();
        // The template on display in the editor, of this panel's own camera.
        const int stage = mainWindow ? mainWindow->editDetect : 0;
        const int shown = view->currentTemplate;
        GetTempTIme(cameraIndex, stage, shown);
        const int count = stage >= 0 && stage < CammerWidget::StageCount ? view->validTemplateCount[stage] : 0;
        setRoiTitle->setImageInfo(tr("模板数 %1 / %2   %3")
                                      .arg(QString::number(shown + 1), QString::number(count), imageTimeStamp));
        break;
    }
    default:
        break;
    }
}

CameraWgt_DataWidget_Title_SetROI *CameraWgt_DataWidget::showImageInfoTitle()
{
    if (titleStack)
        titleStack->setCurrentIndex(ImageTitlePage);
    return setRoiTitle;
}

CameraWgt_DataWidget_Title *CameraWgt_DataWidget::currentTitle() const
{
    return titleStack ? qobject_cast<CameraWgt_DataWidget_Title *>(titleStack->currentWidget())
                      : nullptr;
}

void CameraWgt_DataWidget::paintEvent(QPaintEvent *event)
{
    if (hideBtn) {
        hideBtn->move(width() - hideBtn->width(), (height() - hideBtn->height()) / 2);
        // The report and its button are away while an alarm is latched or the editor is open.
        hideBtn->setVisible(!mainWindow || mainWindow->DisplayMode < DisplayModes::AlarmLatched);
        hideBtn->raise();
    }
    QWidget::paintEvent(event);
}

void CameraWgt_DataWidget::resizeEvent(QResizeEvent *event)
{
    if (view && report) {
        const int viewHeight = view->height();
        if (layoutMode == 0) {
            if (viewHeight == report->height())
                savedHeight = viewHeight;
            if (savedHeight != 0)
                report->setFixedHeight(savedHeight);
        } else {
            if (savedHeight == 0)
                savedHeight = viewHeight;
            if (viewHeight == savedHeight)
                report->setFixedHeight(savedHeight);
            else if (viewHeight > savedHeight)
                report->setFixedHeight(viewHeight);
        }
    }
    QWidget::resizeEvent(event);
}
