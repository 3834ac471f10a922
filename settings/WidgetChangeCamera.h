#ifndef SETTINGS_WIDGETCHANGECAMERA_H
#define SETTINGS_WIDGETCHANGECAMERA_H

#include "uikit/CComp_DialogFrame.h"

#include <QVector>

class ColorButton;
class ComboBox;

// The camera order dialog: one row per camera in use, each choosing the position the camera
// is to be bound to. Confirm stores every camera's identity under its chosen position and runs
// the settings dialog's power-off sequence, since the new order takes effect at the next
// start. The choices stay in the dialog until they are confirmed; the title bar's button
// closes it without saving.
class WidgetChangeCamera : public CComp_DialogFrame
{
    Q_OBJECT

public:
    explicit WidgetChangeCamera(QWidget *parent);

    // The position chosen for each camera, 0-based.
    QVector<int> positions() const { return chosen; }
    QVector<ComboBox *> positionBoxes() const { return boxes; }
    ColorButton *confirmButton() const { return confirm; }

public slots:
    void onPositionChanged(int row, int index);
    void onConfirm();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVector<int> chosen;
    QVector<ComboBox *> boxes;
    ColorButton *confirm = nullptr;
};

#endif
