#ifndef SETTINGS_CAMERAPARAMWIDGET_H
#define SETTINGS_CAMERAPARAMWIDGET_H

#include "settings/TabParamWidget.h"

#include <QVector>

class CammerWidget;
class CheckBox;
class ColorButton;
class EditBox;
class QLabel;
class QPushButton;

// The camera page. It edits one camera at a time, the camera the main window shows alone
// while the page exists. The five image values, the mirrors and the wide dynamic range go
// into editParams and to the camera at once, so the operator sees their effect before OK; the
// dialog puts the cameras back when the changes are declined. A simple display mode leaves
// only the value controls, and the dialog lets the live image show through.
class CameraParamWidget : public TabParamWidget
{
    Q_OBJECT

public:
    static constexpr int ValueBoxCount = 5;

    explicit CameraParamWidget(QWidget *parent);

    void LoadParams() override;
    void StoreParams() override;

    int currentCameraIndex() const { return camera; }
    bool simpleMode() const { return simple; }

    QLabel *cameraLabel;
    // Exposure, gain, sharpness, contrast, gamma (their thermal counterparts for a thermal
    // camera) at [c], [8 + c], [16 + c], [24 + c], [32 + c].
    EditBox *valueBoxes[ValueBoxCount];
    EditBox *speedBox;
    CheckBox *enabledBox;
    CheckBox *colourBox;
    CheckBox *mirrorHorizontal;
    CheckBox *mirrorVertical;
    CheckBox *wideDynamicRange;
    CheckBox *detailedParameters;
    CheckBox *freeRun;
    ColorButton *restoreButton;
    ColorButton *autoExposureButton;
    ColorButton *showModeButton;
    ColorButton *cameraButton;
    ColorButton *orderButton;

signals:
    void showModeChange(int simple);

public slots:
    void SlotChangeShowMode();
    // The next camera in use (wrapping), shown alone by the main window.
    void nextCamera();
    void restoreDefaults();
    void autoExposure();
    // The camera order dialog, with the settings dialog as parent.
    void reorderCameras();

private:
    struct Switch
    {
        CheckBox *box;
        int index;
    };

    CammerWidget *view() const;
    void chooseLabels();
    // Boxes 1 to 5 from the record; their change actions store and apply the values.
    void setValueBoxes(bool live);
    void setCameraSwitches();
    void valueChanged(int box, int value);

    QWidget *dialog;
    int camera = 0;
    bool simple = true;
    QVector<Switch> cameraWide;
    // What simple mode hides.
    QVector<QWidget *> fullModeOnly;
};

#endif
