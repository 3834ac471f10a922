#ifndef UIKIT_PICKERLOOK_H
#define UIKIT_PICKERLOOK_H

#include <QPair>
#include <QString>

class QHBoxLayout;
class QMargins;
class QPushButton;
class QSize;
class QVBoxLayout;
class QWidget;

// The borderless text buttons of the pickers: blue text for the first choice ("清空", the
// drums' "确定"), black text for the other.
extern const char pickerBlueText[];
extern const char pickerBlackText[];

QPushButton *makePickerButton(const QString &text, const char *style, QWidget *parent);

// Adds a bar of fixed size with the given object name to a picker dialog's column and returns
// the bar's row layout (the bar is the layout's parent widget).
QHBoxLayout *addPickerBar(QVBoxLayout *column, const QString &name, const QSize &size, QWidget *dialog);

// Adds the bottom bar ("bottombar"): a stretch, the blue clear button and the black OK
// button, 20 px apart. Returns the two buttons.
QPair<QPushButton *, QPushButton *> addPickerButtonBar(QVBoxLayout *column, const QSize &size,
                                                       const QMargins &margins, const QString &clearText,
                                                       const QString &okText, QWidget *dialog);

#endif
