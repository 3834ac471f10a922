#ifndef TESTS_SETTINGS_MODALSCRIPT_H
#define TESTS_SETTINGS_MODALSCRIPT_H

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>

class QDialog;

// Answers the message boxes (tipbox, Warnbox) that the code under test runs one after the
// other, also when it runs the same box twice: every showing is noted in seen() as
// "tipbox: text" or "Warnbox: text" and closed with the next result of the script (1 OK,
// 0 anything else); once the script is used up, further boxes are closed with 0.
class ModalScript : public QObject
{
public:
    explicit ModalScript(QVector<int> results = {});
    ~ModalScript() override;

    QStringList seen() const { return shown; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void answer();

    QVector<int> results;
    QVector<QPointer<QDialog>> waiting;
    QStringList shown;
    QTimer timer;
};

#endif
