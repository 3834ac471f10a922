#ifndef STATION_CAMERAWGT_DATAWIDGET_TITLE_H
#define STATION_CAMERAWGT_DATAWIDGET_TITLE_H

#include <QString>
#include <QWidget>

class CameraWgt_DataWidget;
class MultipleBtnGroup;
class QLabel;

// What the two title bars of a camera panel share: the camera's name, the camera buttons of
// the single-camera view and the run status ("1号相机 模腔 检测中 1.25"), coloured by the run
// state. The repaint task asks the title of every visible panel to refresh every 100 ms.
// A title builds its children only on a CameraWgt_DataWidget.
class CameraWgt_DataWidget_Title : public QWidget
{
    Q_OBJECT

public:
    static constexpr int TitleHeight = 60;

    explicit CameraWgt_DataWidget_Title(QWidget *parent);

    // Refreshes the texts from the main window's state.
    virtual void updateStatus();
    // The camera's name while all cameras are shown, the camera buttons while one is.
    virtual void setSingleView(bool single);
    // The title's own rules after the common dark style.
    virtual QString styleSheetText() const;

    // The run status in its colour: the texts and colour names the status label shows.
    struct RunStatus
    {
        QString colour;
        QString text;
    };
    static RunStatus runStatus(int runState, int cyclePhase);
    // The detect stage's name; two-sided machine modes name the side.
    static QString stageName(int detect, int machineMode);
    // The status line without its colour; countdown in seconds, shown when above 0.02.
    static QString statusLine(int cameraIndex, const QString &stage, const QString &status,
                              float countdown);

    int cameraIndexValue() const { return cameraIndex; }
    QLabel *cameraLabel() const { return camLabel; }
    QLabel *runStatusLabel() const { return statusLabel; }
    MultipleBtnGroup *buttonGroup() const { return btnGroup; }

protected:
    CameraWgt_DataWidget *panel() const { return owner; }
    bool built() const { return owner != nullptr; }

private:
    // A camera button: another enabled camera alone, or (-1) all cameras.
    void cameraButtonClicked(int id);

    CameraWgt_DataWidget *owner = nullptr;
    QLabel *camLabel = nullptr;
    MultipleBtnGroup *btnGroup = nullptr;
    QLabel *statusLabel = nullptr;
    int cameraIndex = -1;
};

#endif
