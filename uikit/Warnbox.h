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

public slots:
    virtual void acceptDialog();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString message;
    QPushButton *closeButton;
};

#endif
