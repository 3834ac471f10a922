#ifndef TESTS_SUPPORT_SCREENCHECK_H
#define TESTS_SUPPORT_SCREENCHECK_H

#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

class QWidget;

// What an operator sees of a window, checked through the widgets' own geometry and fonts.
// Every check returns one line per fault, naming the widgets by class, object name and text;
// an empty list means the window is fine.
namespace ScreenCheck {

// A pair of widgets that a screen lays over one another on purpose, each named by the object
// or class name of the widget or of a parent in its window ("*" for any widget); either order.
using Overlay = QPair<QString, QString>;

// Visible controls that lie partly outside their top-level window.
QStringList controlsOutsideWindow(QWidget *window);
// The window lies partly outside its screen.
QStringList windowOutsideScreen(QWidget *window);
// Visible controls of the window that cover another's text or tap area, apart from the named
// overlays. A control covers another when it lies above it in the paint order (a later
// sibling, or a child of one) and their rectangles meet.
QStringList coveringControls(QWidget *window, const QVector<Overlay> &intended = {});
// Labels, buttons and check boxes whose text is wider or taller than the room inside them.
QStringList cutTexts(QWidget *window);
// All four, for one window.
QStringList allFaults(QWidget *window, const QVector<Overlay> &intended = {});

// Presses the place of a control in its window, as a finger does: the widget found at that
// place receives the click. False when that is not the control (or a child of it), that is
// when the control cannot be pressed there.
bool touch(QWidget *control);

// True when the window is the topmost one at its centre on the screen (meaningful on an X
// server, where the server's stacking order decides).
bool topmostAtCentre(QWidget *window);

// "Class#objectName 'text'" for messages.
QString describe(const QWidget *widget);

} // namespace ScreenCheck

#endif
