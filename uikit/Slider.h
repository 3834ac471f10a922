#ifndef UIKIT_SLIDER_H
#define UIKIT_SLIDER_H

#include <QAbstractSlider>

class ColorButton;
class Edit;

// The painted setting slider of the camera views: the caption (the object name), a value box
// that opens the numeric keypad when tapped, a groove with a fill and a handle that can be
// dragged, and -1 and +1 buttons that repeat while held.
class Slider : public QAbstractSlider
{
    Q_OBJECT

public:
    Slider(int min, int max, int pageStep, int value, QWidget *parent = nullptr,
           const QString &name = QString());

    void setup(int min, int max, int pageStep, int value, const QString &name);

    // Geometry of the last resize and paint (for the owner's layout and for tests).
    int grooveWidth = 0;
    int fillOffset = 0;
    int fillWidthMax = 0;
    int handleX = 0;
    int handleY = 0;
    int handleW = 0;
    int handleH = 0;

    Edit *valueField() const { return valueEdit; }

public slots:
    void Add();
    void Sub();
    // The value typed into the value box; empty or non-numeric text is ignored.
    void SetText(const QString &text);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int fillWidth() const;
    void openValueBox();

    ColorButton *plusButton;
    ColorButton *minusButton;
    Edit *valueEdit;
    int pressX = -1;
    int pressY = -1;
};

#endif
