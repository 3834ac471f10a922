#ifndef UIKIT_WARNBOX_H
#define UIKIT_WARNBOX_H

#include <QDialog>

class QPushButton;

// A warning with a close button, centred on the main view. exec() always returns 0.
class Warnbox : public QDialog
{
    Q_OBJECT

public:
    explicit Warnbox(QWidget *parent = nullptr);

    // Stores the message; it shows when the box is next painted.
    void setText(const QString &text);
    QString text() const { return message; }
    void setStayOnTop(bool onTop);
    // Showing also raises the box and gives it the input: the panel has no window manager that
    // would, and the box is shared, so it is older than the full-screen window and the dialogs
    // it must show above.
    void setVisible(bool visible) override;

public slots:
    virtual void acceptDialog();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString message;
    QPushButton *closeButton;
};

#endif
