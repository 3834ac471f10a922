#include "station/ImagePickForm_Source.h"

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "station/RunSettings.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVariant>

namespace {

constexpr int PanelWidth = 420;
constexpr int ButtonWidth = 120;
constexpr int ButtonHeight = 40;
constexpr int ButtonsPerRow = 3;

const char *const chooseProperty = "choose";

} // namespace

ImagePickForm_Source::ImagePickForm_Source(QWidget *parent)
    : QWidget(parent)
    , typeHeading(new QLabel(tr("·图片类型"), this))
    , cameraHeading(new QLabel(tr("·相机"), this))
    , detectHeading(new QLabel(tr("·检测类型"), this))
    , sources(makeGroup("sourcegroup"))
    , cameras(makeGroup("cameragroup"))
    , detects(makeGroup("detectgroup"))
{
    addButton(sources, 0, "source_temp", tr("模板"));
    addButton(sources, 1, "source_ontime", tr("实时画面"));
    addButton(sources, 2, "source_last_ng", tr("最近NG"));
    addButton(sources, 3, "source_record_ok", tr("OK记录"));
    addButton(sources, 4, "source_record_ng", tr("NG记录"));
    for (int i = 0; i < cameraCount; ++i)
        addButton(cameras, i, QStringLiteral("camera_btn_%1").arg(i).toLatin1().constData(), tr("%1号相机").arg(i + 1));
    addButton(cameras, cameraCount, "camera_btn_all", tr("全部相机"));
    const int mode = runSetting(Param::MachineMode);
    if (twoSidedMode(mode)) {
        addButton(detects, 0, "detect_0", tr("左成品") + tr("检测"));
        addButton(detects, 1, "detect_1", tr("左模腔") + tr("检测"));
        addButton(detects, 2, "detect_2", tr("右成品") + tr("检测"));
        addButton(detects, 3, "detect_3", tr("右模腔") + tr("检测"));
    } else if (mode == 0) {
        addButton(detects, 0, "detect_0", tr("成品检测"));
        addButton(detects, 1, "detect_1", tr("模腔检测"));
    }

    setFixedWidth(PanelWidth);
    auto *grid = new QGridLayout(this);
    grid->setSpacing(20);
    grid->setContentsMargins(10, 20, 10, 20);
    layOutGroup(typeHeading, sources);
    layOutGroup(cameraHeading, cameras);
    if (!detects->buttons().isEmpty())
        layOutGroup(detectHeading, detects);
    else
        detectHeading->hide();

    setStyleSheet(QStringLiteral("QWidget{background-color:#313131;outline:0px;border:none;}"
                                 "QLabel{color: #2687F2;font-size: 16px;font-family: SimHei}"
                                 "QPushButton{background-color:#313131;border:1px solid #707070;color:white;"
                                 "font-size:16px;text-align:center;padding-left:5px;padding-right:5px;}"
                                 "QPushButton:hover,QPushButton:pressed{background-color:#F24C3F;}"
                                 "QPushButton[choose=true]{background-color:#2687F2;}"));
    setAttribute(Qt::WA_StyledBackground);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
}

QButtonGroup *ImagePickForm_Source::makeGroup(const char *name)
{
    auto *group = new QButtonGroup(this);
    group->setObjectName(QString::fromLatin1(name));
    return group;
}

void ImagePickForm_Source::addButton(QButtonGroup *group, int id, const char *objectName, const QString &text)
{
    auto *b = new QPushButton(text, this);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setFixedSize(ButtonWidth, ButtonHeight);
    b->setProperty(chooseProperty, false);
    group->addButton(b, id);
    // Marked before the group's handler runs: the clicked signal comes first.
    connect(b, &QPushButton::clicked, this, [this, group, b] { mark(group, b); });
}

void ImagePickForm_Source::layOutGroup(QLabel *heading, QButtonGroup *group)
{
    auto *grid = static_cast<QGridLayout *>(layout());
    grid->addWidget(heading, nextRow++, 0);
    const QList<QAbstractButton *> buttons = group->buttons();
    for (int i = 0; i < buttons.size(); ++i)
        grid->addWidget(buttons.at(i), nextRow + i / ButtonsPerRow, i % ButtonsPerRow);
    nextRow += (buttons.size() + ButtonsPerRow - 1) / ButtonsPerRow;
}

void ImagePickForm_Source::mark(QButtonGroup *group, QAbstractButton *chosen)
{
    for (QAbstractButton *b : group->buttons()) {
        b->setProperty(chooseProperty, b == chosen);
        b->style()->unpolish(b);
        b->style()->polish(b);
    }
    update();
}
