#ifndef UIKIT_CALENDARWIDGET_H
#define UIKIT_CALENDARWIDGET_H

#include <QCalendarWidget>
#include <QDate>

class QLabel;
class QToolButton;

// A calendar with a header line of its own: month arrows that light up under the pointer and
// the selected date as text. Paging to another month keeps the selected day where that month
// has it, else takes the month's last day.
class CalendarWidget : public QCalendarWidget
{
    Q_OBJECT

public:
    explicit CalendarWidget(QWidget *parent = nullptr);

    QDate keptDate() const { return kept; }

public slots:
    void setDate();
    void setNextDate();

private:
    void showDateText(const QDate &date);

    QLabel *dateLabel;
    QToolButton *prevButton;
    QToolButton *nextButton;
    QDate kept;
};

#endif
