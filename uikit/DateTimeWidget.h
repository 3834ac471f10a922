#ifndef UIKIT_DATETIMEWIDGET_H
#define UIKIT_DATETIMEWIDGET_H

#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QMetaType>
#include <QPair>

class CalendarWidget;
class _EditDateTime;

using dayTime = QPair<QDateTime, QDateTime>;
Q_DECLARE_METATYPE(dayTime)

// The range picker: a start and an end calendar with their date and time fields. OK fills in
// missing ends (end: now, start: one day before now) and asks again when the start is not
// earlier than the end. openDateTimeWidget names it while it is open.
class DateTimeWidget : public QDialog
{
    Q_OBJECT

public:
    explicit DateTimeWidget(QWidget *parent = nullptr);

    // Presets one end of the range: calendar, date field and time field.
    void presetFrom(const QDateTime &from);
    void presetTo(const QDateTime &to);

    QDateTime resultFrom() const { return startResult; }
    QDateTime resultTo() const { return endResult; }

    CalendarWidget *fromCalendar() const { return startCalendar; }
    CalendarWidget *toCalendar() const { return endCalendar; }
    _EditDateTime *fromTimeField() const { return startTime; }
    _EditDateTime *toTimeField() const { return endTime; }

signals:
    void sendDateTime(dayTime range);

public slots:
    void addFromDate(QDate date);
    void addToDate(QDate date);
    void clearAll();
    void setDateTime();
    void rejectDialog();

protected:
    bool event(QEvent *event) override;
    void done(int result) override;

private:
    _EditDateTime *startDate;
    _EditDateTime *startTime;
    _EditDateTime *endDate;
    _EditDateTime *endTime;
    CalendarWidget *startCalendar;
    CalendarWidget *endCalendar;
    QDate chosenStart;
    QDate chosenEnd;
    QDateTime startResult;
    QDateTime endResult;
};

#endif
