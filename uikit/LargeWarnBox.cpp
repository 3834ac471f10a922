#include "uikit/LargeWarnBox.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/StationHost.h"
#include "core/SystemParameters.h"
#include "platform/system/SystemActions.h"
#include "uikit/BoxPainting.h"
#include "uikit/ColorButton.h"
#include "uikit/UiKitGlobals.h"

#include <QPainter>
#include <climits>
#include <QVBoxLayout>

namespace {

QRect warnBoxGeometry()
{
    return QRect(mainViewWidth / 2 - 375, mainViewHeight / 2 - 185, 750, 370);
}

} // namespace

WarnBox::WarnBox(QWidget *parent)
    : QDialog(parent)
    // "Confirm" in English whatever the language.
    , confirmButton(new ColorButton(uiTextIn(121, 1), this, 0))
{
    setWindowFlags(Qt::CustomizeWindowHint);
    setGeometry(warnBoxGeometry());

    confirmButton->setFixedSize(220, 100);
    connect(confirmButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addStretch(20);
    column->addWidget(confirmButton, 0, Qt::AlignCenter);
    column->addStretch(3);
}

void WarnBox::setText(const QString &text)
{
    message = text;
}

void WarnBox::showEvent(QShowEvent *event)
{
    setGeometry(warnBoxGeometry());
    if (stationHost && stationHost->screenOff()) {
        systemActions()->setBacklightPower(true);
        stationHost->setScreenOff(false);
        const int seconds = currentParams ? (*currentParams)[Param::BacklightSeconds] : 0;
        if (seconds > 0)
            stationHost->restartScreenOffTimer(qMin(seconds, INT_MAX / 1000) * 1000);
    }
    QDialog::showEvent(event);
}

void WarnBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintBoardBackground(painter, size());
    paintBoardMessage(painter, QRect(0, 5, width(), 2 * height() / 3), Qt::AlignCenter, message);
    paintBoardFrame(painter, size());
}
