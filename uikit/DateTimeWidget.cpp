#include "uikit/DateTimeWidget.h"

#include "uikit/CalendarWidget.h"
#include "uikit/PickerLook.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/_EditDateTime.h"
#include "uikit/_RollingTime.h"
#include "uikit/tipbox.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

_EditDateTime *makeField(QWidget *parent, int mode, const QString &placeholder)
{
    auto *field = new _EditDateTime(parent, mode);
    field->setPlaceholderText(placeholder);
    field->setFixedSize(150, 30);
    field->setFont(QFont(QStringLiteral("SimHei"), 13));
    return field;
}

} // namespace

DateTimeWidget::DateTimeWidget(QWidget *parent)
    : QDialog(parent)
{
    setFixedSize(860, 540);
    setObjectName(QStringLiteral("dateTimeWidget"));
    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    setFont(QFont(QStringLiteral("SimHei"), 13));

    auto *column = new QVBoxLayout(this);
    column->setSpacing(0);

    QHBoxLayout *topRow = addPickerBar(column, QStringLiteral("topbar"), QSize(840, 60), this);
    QWidget *topbar = topRow->parentWidget();
    topRow->setSpacing(10);
    topRow->setContentsMargins(10, 15, 10, 15);
    startDate = makeField(topbar, 0, tr("开始日期"));
    startTime = makeField(topbar, 1, tr("开始时间"));
    auto *arrow = new QLabel(QStringLiteral(">"), topbar);
    arrow->setFixedSize(20, 30);
    arrow->setAlignment(Qt::AlignCenter);
    endDate = makeField(topbar, 0, tr("结束日期"));
    endTime = makeField(topbar, 1, tr("结束时间"));
    topRow->addWidget(startDate);
    topRow->addWidget(startTime);
    topRow->addWidget(arrow);
    topRow->addWidget(endDate);
    topRow->addWidget(endTime);

    auto *closeButton = new QPushButton(this);
    closeButton->setObjectName(QStringLiteral("cancelbtn"));
    closeButton->setGeometry(835, 5, 20, 20);
    connect(closeButton, &QPushButton::clicked, this, &DateTimeWidget::rejectDialog);

    QHBoxLayout *calendars = addPickerBar(column, QStringLiteral("dateWgt"), QSize(840, 400), this);
    QWidget *dateWgt = calendars->parentWidget();
    calendars->setSpacing(5);
    calendars->setContentsMargins(5, 0, 0, 0);
    startCalendar = new CalendarWidget(dateWgt);
    startCalendar->setFixedSize(400, 400);
    auto *line = new QFrame(dateWgt);
    line->setFrameShape(QFrame::VLine);
    line->setStyleSheet(QStringLiteral("QFrame{color: rgba(0,0,0,0.5);width: 1px;}"));
    endCalendar = new CalendarWidget(dateWgt);
    endCalendar->setFixedSize(400, 400);
    calendars->addWidget(startCalendar);
    calendars->addWidget(line);
    calendars->addWidget(endCalendar);
    connect(startCalendar, &QCalendarWidget::clicked, this, &DateTimeWidget::addFromDate);
    connect(endCalendar, &QCalendarWidget::clicked, this, &DateTimeWidget::addToDate);

    const auto buttons = addPickerButtonBar(column, QSize(840, 50), QMargins(0, 20, 20, 0), tr("清空"), tr("确定"), this);
    connect(buttons.first, &QPushButton::clicked, this, &DateTimeWidget::clearAll);
    connect(buttons.second, &QPushButton::clicked, this, &DateTimeWidget::setDateTime);
    column->addStretch();

    setStyleSheet(QStringLiteral("QWidget#dateTimeWidget{background-color: white;}"
                                 "QWidget#topbar{border-bottom: 1px solid rgba(0,0,0,0.5);}"
                                 "QWidget#bottombar{border-top: 1px solid rgba(0,0,0,0.5);}"
                                 "QPushButton#cancelbtn{background-color: red;border-radius: 10px;"
                                 "border-image: url(:/Close.png)}"));
}

void DateTimeWidget::presetFrom(const QDateTime &from)
{
    startCalendar->setSelectedDate(from.date());
    addFromDate(from.date());
    startTime->addTime(from.time());
}

void DateTimeWidget::presetTo(const QDateTime &to)
{
    endCalendar->setSelectedDate(to.date());
    addToDate(to.date());
    endTime->addTime(to.time());
}

void DateTimeWidget::addFromDate(QDate date)
{
    startDate->setText(date.toString(QStringLiteral("yyyy-MM-dd")));
    chosenStart = date;
}

void DateTimeWidget::addToDate(QDate date)
{
    endDate->setText(date.toString(QStringLiteral("yyyy-MM-dd")));
    chosenEnd = date;
}

void DateTimeWidget::clearAll()
{
    startDate->clear();
    startTime->clear();
    endDate->clear();
    endTime->clear();
}

void DateTimeWidget::setDateTime()
{
    // A valid date with an invalid time counts from 00:00:00.
    startResult = QDateTime(chosenStart, startTime->time());
    endResult = QDateTime(chosenEnd, endTime->time());
    const QDateTime now = QDateTime::currentDateTime();
    if (!endResult.isValid())
        endResult = now;
    if (!startResult.isValid())
        startResult = now.addDays(-1);

    if (startResult >= endResult) {
        tipbox question(tipbox::OkCancelButtons);
        question.setText(tr("日期检索错误!\n是否重新检索"));
        if (question.exec() == QDialog::Accepted)
            return;
        endResult = now;
        startResult = now.addDays(-1);
    }

    emit sendDateTime(dayTime(startResult, endResult));
    closeOpenRollingTime();
    accept();
}

void DateTimeWidget::rejectDialog()
{
    reject();
}

void DateTimeWidget::done(int result)
{
    // However the picker ends (OK, its close button, Esc, a close from outside), it is no
    // longer open.
    if (openDateTimeWidget == this)
        openDateTimeWidget = nullptr;
    QDialog::done(result);
}

bool DateTimeWidget::event(QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress)
        closeOpenRollingTime();
    return QDialog::event(event);
}
