#include "settings/WidgetChangeCamera.h"

#include "cameras/CameraDiscovery.h"
#include "cameras/CameraSerials.h"
#include "core/Globals.h"
#include "settings/SystemParamDialog.h"
#include "station/StationGlobals.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int ConfirmEntry = 121;
constexpr int DuplicateEntry = 361;
constexpr int PositionEntry = 394;
constexpr int RowEntry = 395;
constexpr int Height = 560;
constexpr int RowHeight = 60;

} // namespace

WidgetChangeCamera::WidgetChangeCamera(QWidget *parent)
    : CComp_DialogFrame(tr("相机排序"), parent)
{
    const int width = currentLanguage == 3 ? 750 : 550;
    const int cameras = std::clamp(cameraCount, 0, int(CameraSlotCount));

    auto *column = new QVBoxLayout(contentWgt);
    column->setSpacing(10);
    for (int i = 0; i < cameras; ++i) {
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel(uiText(RowEntry).arg(i + 1), contentWgt));
        auto *box = new ComboBox(contentWgt);
        box->setFixedSize(160, 50);
        QFont font(QStringLiteral("SimHei"));
        font.setPixelSize(32);
        box->setComboFont(font);
        setComboBoxStyle(box, 50);
        for (int k = 0; k < cameras; ++k)
            box->addItem(uiText(PositionEntry).arg(k + 1), k);
        box->setCurrentIndex(i);
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                [this, i](int index) { onPositionChanged(i, index); });
        row->addWidget(box);
        column->addLayout(row);
        boxes.append(box);
        chosen.append(i);
    }
    column->addStretch();

    // Below the last row, so that it never covers one (the rows are 60 px apart from the top
    // of the content).
    confirm = new ColorButton(uiText(ConfirmEntry), this, 2);
    const int below = 60 + 10 + RowHeight * cameras;
    confirm->setGeometry(30, std::max(490 - RowHeight * cameras, below), width - 60, 50);
    connect(confirm, &QPushButton::clicked, this, &WidgetChangeCamera::onConfirm);

    const int height = std::max(Height, confirm->geometry().bottom() + 20);
    setMinimumSize(0, 0);
    setFixedSize(width, height);
    if (parent)
        move(parent->width() / 2 - width / 2, parent->height() / 2 - height / 2);
}

void WidgetChangeCamera::onPositionChanged(int row, int index)
{
    if (row >= 0 && row < chosen.size())
        chosen[row] = index;
}

void WidgetChangeCamera::onConfirm()
{
    for (int i = 0; i + 1 < chosen.size(); ++i) {
        for (int j = i + 1; j < chosen.size(); ++j) {
            if (chosen[i] != chosen[j])
                continue;
            const QString text = uiText(DuplicateEntry).arg(chosen[i] + 1);
            if (sharedWarnbox) {
                sharedWarnbox->setText(text);
                sharedWarnbox->exec();
            } else {
                Warnbox box;
                box.setText(text);
                box.exec();
            }
            return;
        }
    }
    // Only a confirmed order reaches the table that saving (and re-sampling) reads.
    for (int i = 0; i < chosen.size(); ++i)
        cameraSlotOfCamera[i] = chosen[i];
    if (!saveCameraSerials(0)) {
        Warnbox box;
        box.setText(tr("相机排序保存失败"));
        box.exec();
        return;
    }
    if (auto *settings = qobject_cast<SystemParamDialog *>(parentWidget()))
        settings->PowerOff();
}

void WidgetChangeCamera::paintEvent(QPaintEvent *)
{
}
