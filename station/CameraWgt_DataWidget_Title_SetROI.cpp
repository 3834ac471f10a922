#include "station/CameraWgt_DataWidget_Title_SetROI.h"

#include "station/ImageBrowser.h"
#include "station/MoJuWizard.h"
#include "uikit/MultipleBtnGroup.h"
#include "uikit/StyleHelpers.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

CameraWgt_DataWidget_Title_SetROI::CameraWgt_DataWidget_Title_SetROI(QWidget *parent)
    : CameraWgt_DataWidget_Title(parent)
{
    if (!built())
        return;
    info = new QLabel(tr("图片信息"), this);
    info->setAlignment(Qt::AlignCenter);
    info->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(cameraLabel());
    row->addWidget(info);
    row->addWidget(runStatusLabel());
    // The camera buttons have no place in this title.
    buttonGroup()->hide();

    setDarkStyleSheet(this, styleSheetText());
    setAttribute(Qt::WA_StyledBackground);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
}

void CameraWgt_DataWidget_Title_SetROI::setImageInfo(const QString &text)
{
    if (info)
        info->setText(text);
}

QString CameraWgt_DataWidget_Title_SetROI::imageInfo() const
{
    return info ? info->text() : QString();
}

void CameraWgt_DataWidget_Title_SetROI::setSingleView(bool)
{
    if (!built())
        return;
    cameraLabel()->show();
    buttonGroup()->hide();
    update();
}

bool CameraWgt_DataWidget_Title_SetROI::eventFilter(QObject *watched, QEvent *event)
{
    if (built() && watched == cameraLabel() && event->type() == QEvent::MouseButtonPress)
        toggleImageBrowser();
    return CameraWgt_DataWidget_Title::eventFilter(watched, event);
}

void CameraWgt_DataWidget_Title_SetROI::toggleImageBrowser()
{
    QWidget *browser = mainWindow && mainWindow->imageBrowser ? mainWindow->imageBrowser->browserWidget()
                                                              : nullptr;
    if (!browser)
        return;
    if (browser->isVisible()) {
        browser->hide();
        return;
    }
    browser->move(0, height());
    browser->setWindowModality(Qt::WindowModal);
    browser->show();
}
