#include "uikit/_EditDateTime.h"

#include "uikit/UiKitGlobals.h"
#include "uikit/_RollingTime.h"

#include <QEvent>

_EditDateTime::_EditDateTime(QWidget *parent, int mode)
    : QLineEdit(parent)
    , mode(mode)
{
    const QString border = mode == 2 ? QStringLiteral("none") : QStringLiteral("1px solid rgba(0, 0, 0, 0.5)");
    setStyleSheet(QStringLiteral("QLineEdit{background-color: white;border-radius: 4px;border: %1;color: black;}")
                      .arg(border));
    setReadOnly(mode == 0);
    setFont(QFont(QStringLiteral("SimHei"), 10));
}

_EditDateTime::~_EditDateTime()
{
    // The popup has no parent; the field that opened it takes it down with it.
    delete drums.data();
}

void _EditDateTime::addTime(QTime time)
{
    setText(time.isValid() ? time.toString(QStringLiteral("hh:mm:ss")) : QString());
    storedTime = time;
}

bool _EditDateTime::event(QEvent *event)
{
    if (mode == 1 && event->type() == QEvent::MouseButtonPress)
        openDrums();
    return QLineEdit::event(event);
}

QTime _EditDateTime::timeForDrums() const
{
    // A field whose text was set without a stored time still starts the drums at that text.
    if (storedTime.isValid())
        return storedTime;
    return QTime::fromString(text(), QStringLiteral("hh:mm:ss"));
}

void _EditDateTime::openDrums()
{
    closeOpenRollingTime();

    auto *popup = new _RollingTime(nullptr);
    popup->setTime(timeForDrums());
    drums = popup;
    openRollingTime = popup;

    popup->move(positionThroughGrandparent(this) + QPoint(0, height() + 10));
    popup->setWindowModality(Qt::WindowModal);
    popup->show();
    connect(popup, &_RollingTime::confirmOnClicked, this, &_EditDateTime::addTime);
}
