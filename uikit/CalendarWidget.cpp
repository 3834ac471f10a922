#include "uikit/CalendarWidget.h"

#include <QEventTransition>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QState>
#include <QStateMachine>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A normal and a hovered state per arrow, switched by the pointer entering and leaving.
void addHoverIcons(QToolButton *button, const QString &normal, const QString &hovered)
{
    auto *machine = new QStateMachine(button);
    auto *rest = new QState(machine);
    auto *hover = new QState(machine);
    rest->assignProperty(button, "icon", QIcon(normal));
    hover->assignProperty(button, "icon", QIcon(hovered));
    auto *enter = new QEventTransition(button, QEvent::Enter, rest);
    enter->setTargetState(hover);
    auto *leave = new QEventTransition(button, QEvent::Leave, hover);
    leave->setTargetState(rest);
    machine->setInitialState(rest);
    machine->start();
}

QString arrowStyle(const QString &name)
{
    return QStringLiteral("QToolButton#%1{border: none;background-color: white;}"
                          "QToolButton#%1:hover{border: none;background-color: white;}")
        .arg(name);
}

} // namespace

CalendarWidget::CalendarWidget(QWidget *parent)
    : QCalendarWidget(parent)
    , dateLabel(new QLabel(this))
{
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setFirstDayOfWeek(Qt::Sunday);
    setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);

    // One format for the header and every weekday, so weekends are not coloured.
    QTextCharFormat format;
    format.setForeground(QColor(51, 51, 51));
    format.setBackground(Qt::white);
    QFont font(QStringLiteral("SimHei"), 12);
    font.setWeight(57);
    format.setFont(font);
    setHeaderTextFormat(format);
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day)
        setWeekdayTextFormat(Qt::DayOfWeek(day), format);

    if (QWidget *navigation = findChild<QWidget *>(QStringLiteral("qt_calendar_navigationbar")))
        navigation->hide();
    prevButton = findChild<QToolButton *>(QStringLiteral("qt_calendar_prevmonth"));
    nextButton = findChild<QToolButton *>(QStringLiteral("qt_calendar_nextmonth"));

    auto *top = new QWidget(this);
    top->setObjectName(QStringLiteral("CalendarTopWidget"));
    top->setFixedHeight(50);
    top->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *row = new QHBoxLayout(top);
    row->setSpacing(4);
    row->setContentsMargins(5, 5, 5, 5);
    row->addStretch();
    dateLabel->setObjectName(QStringLiteral("dateLabel"));
    if (prevButton) {
        prevButton->setObjectName(QStringLiteral("prevBtn"));
        addHoverIcons(prevButton, QStringLiteral(":/Arrow2Left.png"), QStringLiteral(":/Arrow2Left_hovered.png"));
        row->addWidget(prevButton);
    }
    row->addSpacing(40);
    row->addWidget(dateLabel);
    row->addSpacing(40);
    if (nextButton) {
        nextButton->setObjectName(QStringLiteral("nextBtn"));
        addHoverIcons(nextButton, QStringLiteral(":/Arrow2Right.png"), QStringLiteral(":/Arrow2Right_hovered.png"));
        row->addWidget(nextButton);
    }
    row->addStretch();
    if (auto *column = qobject_cast<QVBoxLayout *>(layout()))
        column->insertWidget(0, top);

    setObjectName(QStringLiteral("CalendarWidget"));
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
    setStyleSheet(arrowStyle(QStringLiteral("prevBtn")) + arrowStyle(QStringLiteral("nextBtn"))
                  + QStringLiteral("QLabel#%1{color:black;background-color: transparent;font-size: 18px;"
                                   "font-family: SimHei}")
                        .arg(QStringLiteral("dateLabel"))
                  + QStringLiteral("QCalendarView{background-color: white;}"
                                   "QWidget#CalendarTopWidget{background-color: white;}"));

    kept = selectedDate();
    showDateText(kept);
    connect(this, &QCalendarWidget::clicked, this, &CalendarWidget::setDate);
    connect(this, &QCalendarWidget::currentPageChanged, this, &CalendarWidget::setNextDate);
}

void CalendarWidget::showDateText(const QDate &date)
{
    dateLabel->setText(date.toString(QStringLiteral("yyyy年MM月dd日")));
}

void CalendarWidget::setDate()
{
    kept = selectedDate();
    showDateText(kept);
}

void CalendarWidget::setNextDate()
{
    const QDate selected = selectedDate();
    if (selected.year() == yearShown() && selected.month() == monthShown()) {
        // The page followed a date set from outside: keep that date.
        kept = selected;
        showDateText(kept);
        return;
    }
    const QDate first(yearShown(), monthShown(), 1);
    const int day = qBound(1, kept.day(), first.daysInMonth());
    const QDate date(yearShown(), monthShown(), day);
    kept = date;
    setSelectedDate(date);
    showDateText(date);
}
