#ifndef STATION_CAMERAWGT_DATAWIDGET_TITLE_NORMAL_H
#define STATION_CAMERAWGT_DATAWIDGET_TITLE_NORMAL_H

#include "station/CameraWgt_DataWidget_Title.h"

// The run title of a camera panel: camera name or buttons, frame rate with the camera's NG and
// total counts, run status, and a large OK / NG label for the camera's last verdict. Its 100 ms
// refresh also repaints the camera view below it.
class CameraWgt_DataWidget_Title_Normal : public CameraWgt_DataWidget_Title
{
    Q_OBJECT

public:
    explicit CameraWgt_DataWidget_Title_Normal(QWidget *parent);

    void updateStatus() override;
    QString styleSheetText() const override;

    QLabel *reportLabel() const { return report; }
    QLabel *resultLabel() const { return result; }

private:
    QLabel *report = nullptr;
    QLabel *result = nullptr;
};

#endif
