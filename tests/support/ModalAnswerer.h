#ifndef TESTS_SUPPORT_MODALANSWERER_H
#define TESTS_SUPPORT_MODALANSWERER_H

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers a modal box that a test's code runs with exec(): from the event loop of that exec()
// it waits for QApplication::activeModalWidget() to become a box other than the one that was
// active when the answerer was made, and hands that box to the answer once.
//
//     ModalAnswerer answer([](QWidget *box) { ModalAnswerer::clickButton(box, "OK"); });
//     const int result = dialog.exec();
//     QVERIFY(answer.answered());
class ModalAnswerer : public QObject
{
public:
    using Answer = std::function<void(QWidget *modal)>;

    explicit ModalAnswerer(Answer answer, QObject *parent = nullptr);

    bool answered() const { return done; }
    // Class name of the box that was answered (empty before).
    QString answeredClass() const { return boxClass; }

    // Clicks the first visible button below the box whose text is text; false when none.
    static bool clickButton(QWidget *box, const QString &text);
    // Clicks the button of the given object name; false when none.
    static bool clickButtonNamed(QWidget *box, const QString &objectName);
    // Sends Esc to the box.
    static void pressEscape(QWidget *box);

private:
    void poll();

    Answer answer;
    QTimer timer;
    QPointer<QWidget> before;
    QString boxClass;
    bool done = false;
};

#endif
