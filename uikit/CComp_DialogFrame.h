#ifndef UIKIT_CCOMP_DIALOGFRAME_H
#define UIKIT_CCOMP_DIALOGFRAME_H

#include <QDialog>

class QHBoxLayout;
class QLabel;

// Base of the large framed dialogs: a frameless dialog with a 60 px title bar ("titleBar")
// holding the title ("labtitle") and the OK button ("okBtn"), and an empty content widget
// ("contentWgt") that the subclass fills. Subclasses may insert widgets into the title bar's
// layout before "okBtn".
class CComp_DialogFrame : public QDialog
{
    Q_OBJECT

public:
    explicit CComp_DialogFrame(const QString &title, QWidget *parent = nullptr);

public slots:
    // Runs on the press (not the release) of the OK button.
    virtual void acceptDialog();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

    QWidget *titleBar;
    QLabel *labtitle;
    QWidget *contentWgt;
    QHBoxLayout *titleLayout;
};

#endif
