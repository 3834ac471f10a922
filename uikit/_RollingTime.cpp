#include "uikit/_RollingTime.h"

#include "uikit/PickerLook.h"
#include "uikit/RollingBoxY.h"
#include "uikit/UiKitGlobals.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

_RollingTime::_RollingTime(QWidget *parent)
    : QDialog(parent)
    , hours(new RollingBoxY(0, 0, 23, this))
    , minutes(new RollingBoxY(1, 0, 59, this))
    , seconds(new RollingBoxY(2, 0, 59, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("rollingbox"));
    setStyleSheet(QStringLiteral("QDialog#rollingbox{background-color: white;}"));
    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint);

    auto *column = new QVBoxLayout(this);
    column->setSpacing(0);

    auto *drums = new QHBoxLayout;
    drums->setSpacing(0);
    for (RollingBoxY *drum : {hours, minutes, seconds}) {
        drum->setFixedSize(50, 200);
        drums->addWidget(drum);
    }
    column->addLayout(drums);

    auto *buttons = new QWidget(this);
    buttons->setFixedSize(150, 60);
    auto *row = new QHBoxLayout(buttons);
    const QFont font(QStringLiteral("SimHei"), 12);
    QPushButton *ok = makePickerButton(QStringLiteral("确定"), pickerBlueText, buttons);
    ok->setFont(font);
    connect(ok, &QPushButton::clicked, this, &_RollingTime::addDayTime);
    QPushButton *cancel = makePickerButton(QStringLiteral("取消"), pickerBlackText, buttons);
    cancel->setFont(font);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    row->addStretch();
    row->addWidget(ok);
    row->addSpacing(15);
    row->addWidget(cancel);
    row->setContentsMargins(0, 0, 10, 0);
    column->addWidget(buttons);
}

void _RollingTime::setTime(const QTime &time)
{
    if (!time.isValid())
        return;
    hours->setValue(time.hour());
    minutes->setValue(time.minute());
    seconds->setValue(time.second());
}

void _RollingTime::addDayTime()
{
    emit confirmOnClicked(QTime(hours->readValue(), minutes->readValue(), seconds->readValue(), 0));
    accept();
}

void _RollingTime::done(int result)
{
    // However the popup ends (OK, Cancel, Esc, a close from outside), it is no longer open.
    if (openRollingTime == this)
        openRollingTime = nullptr;
    QDialog::done(result);
}

void closeOpenRollingTime()
{
    if (openRollingTime)
        openRollingTime->close();
    openRollingTime = nullptr;
}
