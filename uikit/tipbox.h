#ifndef UIKIT_TIPBOX_H
#define UIKIT_TIPBOX_H

#include <QDialog>

// A notice (NoButtons, or OkButton) or a question (OkCancelButtons). exec() returns
// QDialog::Accepted only through OK.
class tipbox : public QDialog
{
    Q_OBJECT

public:
    // The buttons a box shows; any other value shows OK alone.
    enum Buttons : int {
        NoButtons = 0,          // a notice taken down by its owner
        OkButton = 1,
        OkCancelButtons = 2,    // a question
    };

    tipbox(int buttons, QWidget *parent = nullptr, int width = 600, int height = 420);

    // Stores the message; it shows when the box is next painted.
    void setText(const QString &text);
    QString text() const { return message; }

public slots:
    virtual void acceptDialog();
    virtual void rejectDialog();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString message;
};

#endif
