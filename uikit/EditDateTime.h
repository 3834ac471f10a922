#ifndef UIKIT_EDITDATETIME_H
#define UIKIT_EDITDATETIME_H

#include <QDateTime>
#include <QWidget>

class QDateEdit;
class QLabel;
class QTimeEdit;

// A caption with a date editor and a time editor; it can set the system clock.
class EditDateTime : public QWidget
{
    Q_OBJECT

public:
    EditDateTime(const QString &label, QWidget *parent = nullptr);

    void setCurrentDateTime();
    // Sets the operating system's clock (and the hardware clock) from the editors; false when
    // the clock could not be set.
    bool applyToSystemClock();

    QDateEdit *dateEditor() const { return dateEdit; }
    QTimeEdit *timeEditor() const { return timeEdit; }

private:
    QDateEdit *dateEdit;
    QTimeEdit *timeEdit;
    QLabel *captionLabel;
    QDateTime scratch;
};

#endif
