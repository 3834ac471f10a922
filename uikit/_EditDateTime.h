#ifndef UIKIT__EDITDATETIME_H
#define UIKIT__EDITDATETIME_H

#include <QLineEdit>
#include <QPointer>
#include <QTime>

class _RollingTime;

// A date or time field of the pickers. Mode 0: read-only (dates); 1: a time field that opens
// the drum popup below it when pressed; 2: borderless.
class _EditDateTime : public QLineEdit
{
    Q_OBJECT

public:
    _EditDateTime(QWidget *parent, int mode);
    ~_EditDateTime() override;

    QTime time() const { return storedTime; }

public slots:
    // Shows the time as "hh:mm:ss" (an invalid time as an empty text) and keeps it.
    void addTime(QTime time);

protected:
    bool event(QEvent *event) override;

private:
    void openDrums();
    QTime timeForDrums() const;

    int mode;
    QTime storedTime;
    QPointer<_RollingTime> drums;
};

#endif
