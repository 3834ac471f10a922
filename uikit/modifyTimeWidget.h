#ifndef UIKIT_MODIFYTIMEWIDGET_H
#define UIKIT_MODIFYTIMEWIDGET_H

#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QTime>

class CalendarWidget;
class _EditDateTime;

// The date and time setting dialog of the advanced settings: a calendar, a date field and a
// time field with drums; OK reports the chosen date and time through sendModifyTime.
class modifyTimeWidget : public QDialog
{
    Q_OBJECT

public:
    explicit modifyTimeWidget(QWidget *parent = nullptr);

    CalendarWidget *calendar() const { return calendarView; }
    _EditDateTime *dateField() const { return dateEdit; }
    _EditDateTime *timeField() const { return timeEdit; }
    QDateTime chosenDateTime() const { return chosen; }

signals:
    void sendModifyTime(QDateTime time);

public slots:
    void addDate(QDate date);
    void clearAll();
    void acceptDialog();

protected:
    bool event(QEvent *event) override;

private:
    CalendarWidget *calendarView;
    _EditDateTime *dateEdit;
    _EditDateTime *timeEdit;
    QDate date;
    QTime time;
    QDateTime chosen;
};

#endif
