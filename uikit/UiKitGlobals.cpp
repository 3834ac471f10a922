#include "uikit/UiKitGlobals.h"

#include "core/Globals.h"
#include "uikit/DateTimeWidget.h"
#include "uikit/Edit.h"
#include "uikit/NumCharInput.h"
#include "uikit/NumberInput.h"
#include "uikit/NumberKeyPad.h"
#include "uikit/_RollingTime.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

int mainViewWidth = 1753;
int mainViewHeight = 1017;

QPointer<Edit> currentEdit;
QPointer<NumberInput> gpNumberInput;
QPointer<NumCharInput> gpNumCharInput;
QPointer<NumberKeyPad> gpNumKeyPad;
QPointer<DateTimeWidget> openDateTimeWidget;
QPointer<_RollingTime> openRollingTime;

void drawSkinPixmap(QPainter &painter, const QRect &target, SkinSlot slot)
{
    const QPixmap *pixmap = skinPixmaps[slot];
    if (pixmap && !pixmap->isNull() && target.width() > 0 && target.height() > 0)
        painter.drawPixmap(target, *pixmap);
}

QPoint positionThroughGrandparent(const QWidget *widget)
{
    QPoint position;
    for (int level = 0; widget && level < 3; ++level, widget = widget->parentWidget())
        position += widget->pos();
    return position;
}
