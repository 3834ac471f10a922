#ifndef UIKIT_FROMTIMETOTIME_H
#define UIKIT_FROMTIMETOTIME_H

#include <QDateTime>
#include <QWidget>

class _EditDateTime;

// A 420 x 40 field showing a chosen time range "start - end". A press opens the range picker
// below it; a confirmed range is shown and kept in fromTime and toTime, the bounds of the
// statistics and chart queries.
class FromTimeToTime : public QWidget
{
    Q_OBJECT

public:
    explicit FromTimeToTime(QWidget *parent = nullptr);

    void setFromTime(const QDateTime &time);
    void setToTime(const QDateTime &time);
    // Empties both fields; the range itself stays.
    void clearAll();

    _EditDateTime *fromField() const { return startField; }
    _EditDateTime *toField() const { return endField; }

    // Presses on the field, and on its owner window, which closes an open picker on odd counts.
    int clickCount = 0;
    QDateTime fromTime;
    QDateTime toTime;

protected:
    bool event(QEvent *event) override;

private:
    // Runs the range picker; false when this field was destroyed meanwhile.
    bool runPicker();

    _EditDateTime *startField;
    _EditDateTime *endField;
};

#endif
