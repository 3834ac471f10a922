#ifndef UIKIT_TIPBOX_H
#define UIKIT_TIPBOX_H

#include <QDialog>

// A notice (buttons 0: none, any other value but 2: OK) or a question (buttons 2: Cancel and
// OK). exec() returns 1 only through OK.
class tipbox : public QDialog
{
    Q_OBJECT

public:
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
