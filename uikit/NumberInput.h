#ifndef UIKIT_NUMBERINPUT_H
#define UIKIT_NUMBERINPUT_H

#include <QWidget>

class ColorButton;
class QButtonGroup;

// The shared digit pad (gpNumberInput). It types into the current field; the system keeps it
// hidden and uses it to empty a numeric field at every tap.
class NumberInput : public QWidget
{
    Q_OBJECT

public:
    explicit NumberInput(QWidget *parent = nullptr);

    bool isFresh() const { return fresh; }

public slots:
    void setContent(int id);
    void eraseContent();
    void eraseAll();
    void HideUpdate();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QButtonGroup *keys;
    ColorButton *confirmKey;
    ColorButton *eraseKey;
    bool fresh = true;
};

#endif
