#ifndef UIKIT_BOXPAINTING_H
#define UIKIT_BOXPAINTING_H

#include <QString>

class QPainter;
class QRect;
class QSize;

// The small message boxes: a #353D45 title bar 60 px high over a #262E34 body, then a white
// pen and SimHei 15 for the title, drawn centred in titleRect. The painter keeps pen and font.
// A title wider than titleRect (another language's) is given the room it needs to the right.
void paintTitledBox(QPainter &painter, const QSize &size, const QString &title, const QRect &titleRect);
// The room paintTitledBox draws a title in: titleRect, widened to the right where the title
// needs more in the title font.
QRect titleRoom(const QString &title, const QRect &titleRect);

// The large boards (choice box, notice): the background picture scaled over the board.
void paintBoardBackground(QPainter &painter, const QSize &size);
// A red SimHei 40 message with the given alignment.
void paintBoardMessage(QPainter &painter, const QRect &textRect, int alignment, const QString &text);
// A white frame 5 px wide around the board.
void paintBoardFrame(QPainter &painter, const QSize &size);

#endif
