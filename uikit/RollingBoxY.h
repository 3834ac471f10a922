#ifndef UIKIT_ROLLINGBOXY_H
#define UIKIT_ROLLINGBOXY_H

#include <QWidget>

class QPropertyAnimation;

// One vertical drum of hours (type 0), minutes (1) or seconds (2): dragged or wheeled by one
// step, it settles on its new value with a short animation. Values do not wrap.
class RollingBoxY : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int deviation READ deviation WRITE setDeviation)

public:
    RollingBoxY(int type, int min, int max, QWidget *parent = nullptr);

    // Sets the value, clamped into the drum's range.
    void setValue(int value);
    int deviation() const { return offset; }
    void setDeviation(int deviation);

signals:
    void currentValueChanged(int value);
    void deviationChange(float deviation);

public slots:
    int readValue();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int step() const;
    void settle();
    void paintNumber(QPainter &painter, int number, int offset);

    int type;
    int min;
    int max;
    int value;
    bool dragging = false;
    int offset = 0;
    int pressY = 0;
    QPropertyAnimation *animation;
};

#endif
