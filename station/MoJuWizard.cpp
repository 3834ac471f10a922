#include "station/MoJuWizard.h"

#include "core/PlatformHelpers.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QTimer>

MoJuWizard *mainWindow = nullptr;

MoJuWizard::MoJuWizard(QWidget *parent)
    : QWidget(parent)
    , logoutTimer(new QTimer(this))
    , backlightTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("MoJuWizard"));
    setWindowTitle(QStringLiteral("MouldMonitor"));
    setWindowFlags(Qt::FramelessWindowHint);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(0x26, 0x2E, 0x34));
    setPalette(dark);
    setAutoFillBackground(true);
    // The panel runs without a window manager, which is what would otherwise carry out a
    // full-screen request: take the whole screen ourselves.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());

    logoutTimer->setSingleShot(true);
    backlightTimer->setSingleShot(true);
    connect(logoutTimer, &QTimer::timeout, this, &MoJuWizard::TimerLogout);
    connect(backlightTimer, &QTimer::timeout, this, &MoJuWizard::TimerLCD);
}

void MoJuWizard::InsertRecord(const QString &text)
{
    // The operation record database comes with the station; until then the row goes to the log.
    qInfo("operation record: %s", qUtf8Printable(text));
}

int MoJuWizard::userLevel() const
{
    return level;
}

void MoJuWizard::setUserLevel(int newLevel)
{
    level = newLevel;
}

int MoJuWizard::currentSide() const
{
    return side;
}

void MoJuWizard::setCurrentSide(int newSide)
{
    side = newSide;
}

int MoJuWizard::currentDetect() const
{
    return detect;
}

bool MoJuWizard::screenOff() const
{
    return dark;
}

void MoJuWizard::setScreenOff(bool off)
{
    dark = off;
}

void MoJuWizard::restartScreenOffTimer(int milliseconds)
{
    backlightTimer->start(milliseconds);
}

void MoJuWizard::restartLogoutTimer(int milliseconds)
{
    logoutTimer->start(milliseconds);
}

void MoJuWizard::appendMeasurementValue(int value)
{
    measurementValues.append(value);
}

void MoJuWizard::updateVisiblePanelTitles()
{
    // No camera panels yet.
}

QWidget *MoJuWizard::hostWidget()
{
    return this;
}

void MoJuWizard::TimerLogout()
{
    logoutTimer->stop();
    level = 0;
}

void MoJuWizard::TimerLCD()
{
    backlightTimer->stop();
    setBacklight(false);
}
