#ifndef UIKIT_STYLEHELPERS_H
#define UIKIT_STYLEHELPERS_H

#include <QString>

class QObject;
class QWidget;

// The common dark style sheet that every page starts from.
QString darkStyleSheet();
// Sets the dark style sheet followed directly by the page's own rules.
void setDarkStyleSheet(QWidget *widget, const QString &extra = QString());
// Makes a dialog and its tab widget show nothing but their children (simple display mode).
void setTransparentTabStyle(QWidget *dialog, QWidget *tabs);
// Rich text: the text in the given colour.
QString colorText(const QString &colour, const QString &text);
// Enlarges the camera button "button<index>" below group by a quarter and disables it, which
// greys it out; nothing happens when there is no such button.
void markTitleButton(QObject *group, int index);

#endif
