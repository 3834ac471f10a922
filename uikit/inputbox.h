#ifndef UIKIT_INPUTBOX_H
#define UIKIT_INPUTBOX_H

#include <QDateTime>
#include <QDialog>

#include <functional>

class Edit;

// The password prompt. Accepting it sets the main window's login level: 2 for the maintenance
// access string, 1 for the user password; a wrong entry logs out (level 0) and keeps the
// prompt open. exec() returns 1 after an accepted entry and 0 after Cancel.
class inputbox : public QDialog
{
    Q_OBJECT

public:
    explicit inputbox(int editMode, QWidget *parent = nullptr);

    // The clock the hourly access string is built from (the local time by default).
    void setClock(std::function<QDateTime()> clock);

    Edit *passwordField() const { return field; }

public slots:
    void accept() override;
    void reject() override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Edit *field;
    std::function<QDateTime()> now;
};

#endif
