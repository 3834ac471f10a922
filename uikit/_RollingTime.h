#ifndef UIKIT__ROLLINGTIME_H
#define UIKIT__ROLLINGTIME_H

#include <QDialog>
#include <QTime>

class RollingBoxY;

// The hour/minute/second popup of a time field: three drums with OK and Cancel. It deletes
// itself when it closes; openRollingTime forgets it then.
class _RollingTime : public QDialog
{
    Q_OBJECT

public:
    explicit _RollingTime(QWidget *parent = nullptr);

    // Starts the drums at a time; an invalid time leaves them at the current time.
    void setTime(const QTime &time);

    RollingBoxY *hourDrum() const { return hours; }
    RollingBoxY *minuteDrum() const { return minutes; }
    RollingBoxY *secondDrum() const { return seconds; }

signals:
    void confirmOnClicked(QTime time);

public slots:
    void addDayTime();

protected:
    void done(int result) override;

private:
    RollingBoxY *hours;
    RollingBoxY *minutes;
    RollingBoxY *seconds;
};

// Closes the open drum popup, if any (it deletes itself), and forgets it.
void closeOpenRollingTime();

#endif
