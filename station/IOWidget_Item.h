#ifndef STATION_IOWIDGET_ITEM_H
#define STATION_IOWIDGET_ITEM_H

#include <QPushButton>

// One lamp of the I/O row: a green (active) or red (inactive) disc with the signal's name
// underneath, 60 x 60, wider where the name needs it.
class IOWidget_Item : public QPushButton
{
    Q_OBJECT

public:
    IOWidget_Item(int index, bool isInput, QWidget *parent = nullptr);

    // Repaints only when the state changes.
    void setLit(bool on);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    bool lit = false;
    const bool isInput;
    const int index;

    static constexpr int LampSize = 60;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

#endif
