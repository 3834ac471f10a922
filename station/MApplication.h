#ifndef STATION_MAPPLICATION_H
#define STATION_MAPPLICATION_H

#include <QApplication>

// The program's application object. It sees every event the application delivers, so that a
// touch anywhere keeps the operator logged in and the screen lit, and a touch on a dark screen
// only wakes it.
class MApplication : public QApplication
{
    Q_OBJECT

public:
    MApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Milliseconds since the epoch of the last touch log line (at most one a second).
    static qint64 lastTouchLog;
};

// Created first in start-up; never destroyed.
extern MApplication *application;

#endif
