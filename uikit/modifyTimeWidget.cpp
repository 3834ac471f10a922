#include "uikit/modifyTimeWidget.h"

#include "uikit/CalendarWidget.h"
#include "uikit/PickerLook.h"
#include "uikit/_EditDateTime.h"
#include "uikit/_RollingTime.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

_EditDateTime *makeField(QWidget *parent, int mode, const QString &placeholder, const QString &text)
{
    auto *field = new _EditDateTime(parent, mode);
    field->setPlaceholderText(placeholder);
    field->setFixedSize(135, 30);
    field->setFont(QFont(QStringLiteral("SimHei"), 12));
    field->setText(text);
    return field;
}

} // namespace

modifyTimeWidget::modifyTimeWidget(QWidget *parent)
    : QDialog(parent)
    , date(QDate::currentDate())
{
    setFixedSize(420, 480);
    setFont(QFont(QStringLiteral("SimHei"), 12));
    setObjectName(QStringLiteral("modifyDateTimeWidget"));
    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);

    auto *column = new QVBoxLayout(this);
    column->setSpacing(0);

    QHBoxLayout *topRow = addPickerBar(column, QStringLiteral("topbar"), QSize(400, 60), this);
    QWidget *topbar = topRow->parentWidget();
    topRow->setContentsMargins(10, 15, 10, 15);
    dateEdit = makeField(topbar, 0, tr("修改日期"), date.toString(QStringLiteral("yyyy-MM-dd")));
    // The time is shown as text only; the drums start from that text.
    timeEdit = makeField(topbar, 1, tr("修改时间"), QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    topRow->addStretch();
    topRow->addWidget(dateEdit);
    topRow->addSpacing(40);
    topRow->addWidget(timeEdit);
    topRow->addStretch();

    QHBoxLayout *centre = addPickerBar(column, QStringLiteral("dateWgt"), QSize(400, 320), this);
    calendarView = new CalendarWidget(centre->parentWidget());
    centre->addWidget(calendarView, 0, Qt::AlignCenter);
    connect(calendarView, &QCalendarWidget::clicked, this, &modifyTimeWidget::addDate);

    const auto buttons = addPickerButtonBar(column, QSize(400, 60), QMargins(0, 0, 20, 0), QStringLiteral("清空"), tr("确定"), this);
    connect(buttons.first, &QPushButton::clicked, this, &modifyTimeWidget::clearAll);
    connect(buttons.second, &QPushButton::clicked, this, &modifyTimeWidget::acceptDialog);
    column->addStretch();

    setStyleSheet(QStringLiteral("QDialog#modifyDateTimeWidget{background-color: white;}"
                                 "QWidget#topbar{background-color: white;}"
                                 "QWidget#bottombar{background-color: white;}"
                                 "QWidget#dateWgt{background-color: white;border-top: 1px solid black;"
                                 "border-bottom: 1px solid black;}"));
}

void modifyTimeWidget::addDate(QDate newDate)
{
    dateEdit->setText(newDate.toString(QStringLiteral("yyyy-MM-dd")));
    date = newDate;
}

void modifyTimeWidget::clearAll()
{
    dateEdit->clear();
    timeEdit->clear();
}

void modifyTimeWidget::acceptDialog()
{
    closeOpenRollingTime();
    time = QTime::fromString(timeEdit->text(), QStringLiteral("hh:mm:ss"));
    chosen = QDateTime(date, time);
    emit sendModifyTime(chosen);
    accept();
}

bool modifyTimeWidget::event(QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress)
        closeOpenRollingTime();
    return QDialog::event(event);
}
