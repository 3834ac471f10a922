#include "tests/support/ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

ModalAnswerer::ModalAnswerer(Answer answer, QObject *parent)
    : QObject(parent)
    , answer(std::move(answer))
    , before(QApplication::activeModalWidget())
{
    timer.setInterval(5);
    connect(&timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer.start();
}

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || modal == before || !modal->isVisible())
        return;
    timer.stop();
    done = true;
    boxClass = QString::fromLatin1(modal->metaObject()->className());
    if (answer)
        answer(modal);
}

bool ModalAnswerer::clickButton(QWidget *box, const QString &text)
{
    if (!box)
        return false;
    for (QAbstractButton *button : box->findChildren<QAbstractButton *>()) {
        if (button->isVisible() && button->text() == text) {
            QTest::mouseClick(button, Qt::LeftButton);
            return true;
        }
    }
    return false;
}

bool ModalAnswerer::clickButtonNamed(QWidget *box, const QString &objectName)
{
    auto *button = box ? box->findChild<QAbstractButton *>(objectName) : nullptr;
    if (!button)
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

void ModalAnswerer::pressEscape(QWidget *box)
{
    if (box)
        QTest::keyClick(box, Qt::Key_Escape);
}
