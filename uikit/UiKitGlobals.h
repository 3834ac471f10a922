#ifndef UIKIT_UIKITGLOBALS_H
#define UIKIT_UIKITGLOBALS_H

#include "core/UiTexts.h"   // uiText and uiTextIn, read by most users of the kit

#include <QPointer>
#include <QString>

class DateTimeWidget;
class Edit;
class NumberInput;
class NumCharInput;
class NumberKeyPad;
class QPainter;
class QPoint;
class QRect;
class QWidget;
class _RollingTime;

// Process-wide state of the UI kit, all on the GUI thread. The pointers are guarded: each
// turns null by itself when the widget it names is destroyed, so nothing here can dangle.

// The main view size on which dialogs, choice boxes and keypads place themselves; the main
// window sets them once (1753 x 1017) before any dialog or edit field is built.
extern int mainViewWidth;
extern int mainViewHeight;

// The field the keyboards type into; null when no field is being edited.
extern QPointer<Edit> currentEdit;

// The shared digit pad and full keyboard, and the numeric keypad that a field opened last.
extern QPointer<NumberInput> gpNumberInput;
extern QPointer<NumCharInput> gpNumCharInput;
extern QPointer<NumberKeyPad> gpNumKeyPad;

// The range picker and the hour/minute/second popup that are open.
extern QPointer<DateTimeWidget> openDateTimeWidget;
extern QPointer<_RollingTime> openRollingTime;


// Shared pictures of skinPixmaps (0 background, 3 value box, 4 slider fill, 5 groove,
// 6 handle). A picture that did not load draws nothing.
enum SkinSlot { SkinBackground = 0, SkinTitle = 1, SkinLine = 2, SkinEdit = 3, SkinSliderFill = 4,
                SkinSliderGroove = 5, SkinSliderHandle = 6 };
void drawSkinPixmap(QPainter &painter, const QRect &target, SkinSlot slot);

// The sum of the positions of a widget, its parent and its grandparent: where the pickers put
// their popups.
QPoint positionThroughGrandparent(const QWidget *widget);

#endif
