#include "uikit/FromTimeToTime.h"

#include "uikit/DateTimeWidget.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/_EditDateTime.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>

namespace {

const QString shownFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

_EditDateTime *makeEnd(QWidget *parent, const QString &placeholder)
{
    auto *field = new _EditDateTime(parent, 2);
    field->setFixedSize(180, 40);
    field->setAlignment(Qt::AlignCenter);
    field->setPlaceholderText(placeholder);
    // Disabled, so that a press anywhere reaches the range field itself.
    field->setEnabled(false);
    return field;
}

} // namespace

FromTimeToTime::FromTimeToTime(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(420, 40);
    setObjectName(QStringLiteral("fromtimetotime"));
    setStyleSheet(QStringLiteral("QWidget#fromtimetotime{background-color: white;border-radius: 4px;}"
                                 "QLabel{background-color: white;color: black;}"));

    startField = makeEnd(this, tr("开始日期"));
    auto *dash = new QLabel(QStringLiteral("-"), this);
    dash->setFixedSize(10, 40);
    endField = makeEnd(this, tr("结束日期"));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(startField);
    row->addWidget(dash);
    row->addWidget(endField);
}

void FromTimeToTime::setFromTime(const QDateTime &time)
{
    fromTime = time;
    startField->setText(time.toString(shownFormat));
}

void FromTimeToTime::setToTime(const QDateTime &time)
{
    toTime = time;
    endField->setText(time.toString(shownFormat));
}

void FromTimeToTime::clearAll()
{
    startField->clear();
    endField->clear();
}

bool FromTimeToTime::event(QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        ++clickCount;
        if (!openDateTimeWidget && !runPicker())
            return true;   // destroyed while the picker was open
    }
    return QWidget::event(event);
}

bool FromTimeToTime::runPicker()
{
    QPointer<FromTimeToTime> self(this);
    DateTimeWidget picker(nullptr);
    picker.presetFrom(fromTime);
    picker.presetTo(toTime);
    openDateTimeWidget = &picker;

    // Directly below the field.
    picker.move(positionThroughGrandparent(this) + QPoint(0, height()));

    const int result = picker.exec();
    if (!self)
        return false;
    if (result == QDialog::Accepted) {
        setFromTime(picker.resultFrom());
        setToTime(picker.resultTo());
    }
    return true;
}
