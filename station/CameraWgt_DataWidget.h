#ifndef STATION_CAMERAWGT_DATAWIDGET_H
#define STATION_CAMERAWGT_DATAWIDGET_H

#include <QWidget>

class CameraInterface;
class CameraReportForm;
class CameraWgtBox;
class CameraWgt_DataWidget_Title;
class CameraWgt_DataWidget_Title_Normal;
class CameraWgt_DataWidget_Title_SetROI;
class CammerWidget;
class QPushButton;
class QStackedWidget;
class QVBoxLayout;

// One camera's panel in the grid: a 60 px title bar (the run title, or the image title while
// an alarm is latched or the editor is open) above the camera view and its report table, and a
// small button at the right edge that hides and shows the report. The panel builds its children
// only inside a CameraWgtBox, whose camera list gives it its camera.
class CameraWgt_DataWidget : public QWidget
{
    Q_OBJECT

public:
    CameraWgt_DataWidget(QWidget *parent, int cameraIndex);

    // 0: the report goes below the view; 1: beside it.
    void setLayoutMode(int mode);
    // Shows the panel for layout index -1 (all cameras) or its own camera index, else hides it;
    // a disabled panel stays as it is.
    void applyLayoutIndex(int index);
    // The title and the report for a display mode of the main window: 0 and 1 the run title
    // with the report, 2 and 3 the image title without it (3 also names the template shown).
    void setTitleMode(int displayMode);
    // Switches to the image title and returns it.
    CameraWgt_DataWidget_Title_SetROI *showImageInfoTitle();
    // The title bar shown now; null while no title bar is shown.
    CameraWgt_DataWidget_Title *currentTitle() const;

    CammerWidget *cammerWidget() const { return view; }
    CameraReportForm *reportForm() const { return report; }
    CameraWgt_DataWidget_Title_Normal *normalTitle() const { return runTitle; }
    CameraWgt_DataWidget_Title_SetROI *imageTitle() const { return setRoiTitle; }
    QPushButton *hideButton() const { return hideBtn; }
    CameraWgtBox *gridBox() const { return box; }
    int layoutModeValue() const { return layoutMode; }

    const int cameraIndex;
    // Whether the camera takes part; set by the main window before each rebuild of the grid.
    bool enabled = true;

signals:
    void sigChangeCameraLayout(int index);

protected:
    // Places the hide button at the middle of the right edge; shown only in display modes 0, 1.
    void paintEvent(QPaintEvent *event) override;
    // Keeps the report as tall as the camera view.
    void resizeEvent(QResizeEvent *event) override;

private:
    int layoutMode = 0;
    CameraInterface *camera = nullptr;
    CameraWgtBox *box = nullptr;
    QStackedWidget *titleStack = nullptr;
    CammerWidget *view = nullptr;
    CameraReportForm *report = nullptr;
    int savedHeight = 0;
    QVBoxLayout *panelLayout = nullptr;
    QPushButton *hideBtn = nullptr;
    CameraWgt_DataWidget_Title_Normal *runTitle = nullptr;
    CameraWgt_DataWidget_Title_SetROI *setRoiTitle = nullptr;
};

#endif
