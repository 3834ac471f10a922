#ifndef STATISTICS_WINDOWPARTS_H
#define STATISTICS_WINDOWPARTS_H

#include <QString>

class ComboBox;
class QFont;
class QPushButton;
class QWidget;

// Pieces the statistics window and the chart window are built from.

// The 40 px title bar: a 20 x 20 icon, the title, a stretch and the close button.
QWidget *buildTitleBar(QWidget *window, int width, const QString &icon, const QString &title,
                       QPushButton **closeButton);

// A filter combo: "全部" (all) first, then the text of entry textEntry with %1 = 1 to count;
// item i stands for index i - 1.
ComboBox *filterCombo(QWidget *parent, int width, const QFont &font, int textEntry, int count);
// The filter a combo stands for: its current item - 1, so -1 means all.
int filterIndex(const ComboBox *combo);

// Places a window in the middle of the main window.
void centreOnMainWindow(QWidget *window);

// Search buttons look disabled while a range read runs.
void styleSearchButton(QPushButton *button);

#endif
