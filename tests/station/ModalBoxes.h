#ifndef TESTS_STATION_MODALBOXES_H
#define TESTS_STATION_MODALBOXES_H

#include "tests/support/ModalAnswerer.h"

#include <QDialog>
#include <QtTest>

// Answers for the station's modal boxes (a ModalAnswerer hands them the box).
inline void closeBox(QWidget *box)
{
    static_cast<QDialog *>(box)->reject();
}

inline void pressOk(QWidget *box)
{
    QVERIFY(ModalAnswerer::clickButton(box, QStringLiteral("确定")));
}

#endif
