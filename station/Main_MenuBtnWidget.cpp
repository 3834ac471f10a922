#include "station/Main_MenuBtnWidget.h"

#include "station/MoJuWizard.h"
#include "station/RunCodes.h"
#include "uikit/StyleHelpers.h"

#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QVariant>
#include <QVBoxLayout>

namespace {

constexpr int LogoHeight = 80;
constexpr int CommandMinHeight = 72;

struct Command
{
    const char *name;
    const char *icon;
};

// In the order of the column, below the logo.
const Command commands[] = {
    {"pBtnStartStop", ":/StartStop.png"},   {"pBtnSetSystem", ":/SetSystem.png"},
    {"pBtnRetrain", ":/Retrain.png"},       {"pBtnSetROI", ":/SetROI.png"},
    {"pBtnStatistics", ":/Statistics.png"}, {"pBtnTemperatureChart", ":/TemperatureChart.png"},
    {"pBtnCavityManual", ":/CavityManual.png"}, {"pBtnProductManual", ":/ProductManual.png"},
};

QString commandRule(const QString &selector, const char *icon)
{
    return QStringLiteral("%1{padding-top:5px;padding-bottom:4px;background-image:url(%2);"
                          "background-repeat:no-repeat;background-position:top;background-origin:content;"
                          "background-color:#4F5963;font-size:16px;color:white;font-weight:400;text-align:bottom;}")
        .arg(selector, QString::fromLatin1(icon));
}

// The command rules come first and the running rules last: a later rule of the same weight
// wins, so the running look holds whether or not the pointer is over the button. The text
// stands at the foot of each button, under its icon.
QString menuStyle()
{
    QString style = QStringLiteral("QWidget{background-color:#353D45;outline:0px;border:none;}"
                                   "QPushButton#pBtnLogo{background-color:#262E34;font-size:22px;color:white;text-align:right;}");
    for (const Command &command : commands) {
        const QString selector = QStringLiteral("QPushButton#%1").arg(QString::fromLatin1(command.name));
        style += commandRule(selector, command.icon) + commandRule(selector + QStringLiteral(":!hover"), command.icon)
            + QStringLiteral("%1:pressed{background-color:#2687F2;}").arg(selector);
    }
    const QString running = QStringLiteral("QPushButton#pBtnStartStop[is_running=\"true\"]");
    style += QStringLiteral("%1,%1:hover,%1:!hover{padding-left:0px;padding-right:0px;"
                            "background-image:url(:/Stop.png);background-repeat:no-repeat;"
                            "background-position:top;background-origin:content;background-color:#F24C3F;"
                            "font-size:22px;color:white;text-align:bottom;}"
                            "%1:pressed{background-color:#2687F2;}")
                 .arg(running);
    return style;
}

} // namespace

Main_MenuBtnWidget::Main_MenuBtnWidget(QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 1);
    column->setSpacing(4);

    logo = addButton("pBtnLogo", QString());
    logo->setFixedHeight(LogoHeight);
    logo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    startStop = addButton("pBtnStartStop", tr("开始检测"));
    QPushButton *settings = addButton("pBtnSetSystem", tr("系统参数"));
    QPushButton *retrain = addButton("pBtnRetrain", tr("重新取样"));
    QPushButton *setRoi = addButton("pBtnSetROI", tr("区域设置"));
    QPushButton *statistics = addButton("pBtnStatistics", tr("生产统计"));
    QPushButton *chart = addButton("pBtnTemperatureChart", tr("温度波形图"));
    QPushButton *cavity = addButton("pBtnCavityManual", tr("模腔手动抓拍"));
    QPushButton *product = addButton("pBtnProductManual", tr("成品手动抓拍"));
    column->addStretch();

    connect(startStop, &QPushButton::clicked, this, &Main_MenuBtnWidget::startStopClicked);
    if (mainWindow) {
        connect(retrain, SIGNAL(clicked()), mainWindow, SLOT(SlotReTrain()));
        connect(setRoi, SIGNAL(clicked()), mainWindow, SLOT(SlotAdjustArea()));
        connect(settings, SIGNAL(clicked()), mainWindow, SLOT(SlotSystemPara()));
        connect(statistics, SIGNAL(clicked()), mainWindow, SLOT(SlotShowStatisticsWidget()));
        connect(chart, SIGNAL(clicked()), mainWindow, SLOT(SlotTemperatureChart()));
    }
    connect(cavity, &QPushButton::clicked, this, [] {
        if (mainWindow)
            mainWindow->SlotManualTrig(1);
    });
    connect(product, &QPushButton::clicked, this, [] {
        if (mainWindow)
            mainWindow->SlotManualTrig(0);
    });

    setDarkStyleSheet(this, menuStyle());
    setAttribute(Qt::WA_StyledBackground);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
    // Written the first time, whatever the property held.
    startStop->setProperty("is_running", QVariant());
    refreshStartStop();
}

QPushButton *Main_MenuBtnWidget::addButton(const char *objectName, const QString &text)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(objectName));
    if (qstrcmp(objectName, "pBtnLogo") != 0)
        button->setMinimumHeight(CommandMinHeight);
    layout()->addWidget(button);
    return button;
}

QPushButton *Main_MenuBtnWidget::button(const char *objectName) const
{
    return findChild<QPushButton *>(QString::fromLatin1(objectName));
}

void Main_MenuBtnWidget::refreshStartStop()
{
    const bool running = !mainWindow || mainWindow->RunState != RunStates::Stopped;
    const QVariant shown = startStop->property("is_running");
    if (shown.isValid() && shown.toBool() == running)
        return;
    startStop->setText(running ? tr("停止检测") : tr("开始检测"));
    startStop->setProperty("is_running", running);
    startStop->style()->unpolish(startStop);
    startStop->style()->polish(startStop);
    startStop->update();
}

void Main_MenuBtnWidget::startStopClicked()
{
    if (mainWindow)
        mainWindow->SlotStartStop();
    refreshStartStop();
}

void Main_MenuBtnWidget::showEvent(QShowEvent *event)
{
    logo->setIconSize(logo->size());
    const QPixmap picture(QStringLiteral("./logo/logo.png"));
    logo->setIcon(picture.isNull() ? QIcon()
                                   : QIcon(picture.scaled(logo->size(), Qt::IgnoreAspectRatio,
                                                          Qt::FastTransformation)));
    update();
    QWidget::showEvent(event);
}
