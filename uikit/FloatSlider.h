#ifndef UIKIT_FLOATSLIDER_H
#define UIKIT_FLOATSLIDER_H

#include <QWidget>

class QLabel;
class QPushButton;
class QSlider;
class QTimer;

// The zoom control of the main camera view: a green value label, a button that hides or shows
// the slider, and a slider whose position divided by scale is the value. It falls back to its
// minimum 30 s after the last change.
class FloatSlider : public QWidget
{
    Q_OBJECT

public:
    explicit FloatSlider(QWidget *parent = nullptr);

    QSlider *slider;
    QLabel *valueLabel;
    QPushButton *toggleButton;
    QTimer *resetTimer;
    float value = 1.0f;
    float scale = 1.0f;

    void resetToMinimum();
    // Keeps the zoom while the operator pans the zoomed view.
    void restartTimer();

signals:
    void updateValue(float value);

public slots:
    void updateLabel(int intValue);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void toggleSlider();
    void setToggleIcon(const QString &resource);
};

#endif
