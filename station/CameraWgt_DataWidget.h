#ifndef STATION_CAMERAWGT_DATAWIDGET_H
#define STATION_CAMERAWGT_DATAWIDGET_H

#include <QWidget>

class CameraInterface;
class CameraWgtBox;
class CameraWgt_DataWidget_Title;
class CammerWidget;
class QBoxLayout;
class QStackedWidget;
class QVBoxLayout;

// One camera's panel in the grid: the title bar stack above the camera view. The panel builds
// its children only inside a CameraWgtBox, whose camera list gives it its camera.
class CameraWgt_DataWidget : public QWidget
{
    Q_OBJECT

public:
    CameraWgt_DataWidget(QWidget *parent, int cameraIndex);

    // 0: what accompanies the view goes below it; 1: beside it.
    void setLayoutMode(int mode);
    // Shows the panel for layout index -1 (all cameras) or its own camera index, else hides it;
    // a disabled panel stays as it is.
    void applyLayoutIndex(int index);
    // The title bar shown now; null while no title bar is shown.
    CameraWgt_DataWidget_Title *currentTitle() const;

    CammerWidget *cammerWidget() const { return view; }
    int layoutModeValue() const { return layoutMode; }

    const int cameraIndex;
    // Whether the camera takes part; set by the main window before each rebuild of the grid.
    bool enabled = true;

signals:
    void sigChangeCameraLayout(int index);

private:
    int layoutMode = 0;
    CameraInterface *camera = nullptr;
    CameraWgtBox *box = nullptr;
    QVBoxLayout *panelLayout = nullptr;
    QStackedWidget *titleStack = nullptr;
    CammerWidget *view = nullptr;
};

#endif
