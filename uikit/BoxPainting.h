#ifndef UIKIT_BOXPAINTING_H
#define UIKIT_BOXPAINTING_H

#include <QString>

class QPainter;
class QRect;
class QSize;

// The small message boxes: a #353D45 title bar 60 px high over a #262E34 body, then a white
// pen and SimHei 15 for the title, drawn centred in titleRect. The painter keeps pen and font.
void paintTitledBox(QPainter &painter, const QSize &size, const QString &title, const QRect &titleRect);

// The large boards (choice box, notice): the background picture scaled over the board.
void paintBoardBackground(QPainter &painter, const QSize &size);
// A red SimHei 40 message with the given alignment.
void paintBoardMessage(QPainter &painter, const QRect &textRect, int alignment, const QString &text);
// A white frame 5 px wide around the board.
void paintBoardFrame(QPainter &painter, const QSize &size);

#endif
