#ifndef UIKIT_LARGEWARNBOX_H
#define UIKIT_LARGEWARNBOX_H

#include <QDialog>

class ColorButton;

// WarnBox: a large notice on the background picture with one Confirm button, shown modeless by
// its owner. Showing it switches a dark screen back on. (Its file name differs from the
// class's so that it cannot clash with Warnbox.h on a case-insensitive file system.)
class WarnBox : public QDialog
{
public:
    explicit WarnBox(QWidget *parent = nullptr);

    // Stores the message; it shows when the box is next painted.
    void setText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QString message;
    ColorButton *confirmButton;
};

#endif
