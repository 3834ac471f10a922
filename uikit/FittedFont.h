#ifndef UIKIT_FITTEDFONT_H
#define UIKIT_FITTEDFONT_H

#include <QSize>
#include <QString>

class QWidget;

// The pages' fixed rooms are made for the Chinese texts: a longer text of another language is
// shown whole in a smaller font. Gives the widget the largest font size, from the size its
// style sheets give it down to 12 px, in which text (lines apart at "\n") fits room. The size is
// set in the widget's own style sheet, which the pages' style sheets cannot override; the
// widget's own style sheet is replaced.
void fitFontToRoom(QWidget *widget, const QString &text, const QSize &room);

#endif
