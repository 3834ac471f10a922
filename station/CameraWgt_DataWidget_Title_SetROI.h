#ifndef STATION_CAMERAWGT_DATAWIDGET_TITLE_SETROI_H
#define STATION_CAMERAWGT_DATAWIDGET_TITLE_SETROI_H

#include "station/CameraWgt_DataWidget_Title.h"

// The image title of a camera panel, shown while an alarm is latched or the region editor is
// open: camera name, what image is on display (template number and time, or the name of a
// recorded image) and the run status. A tap on the camera name opens or closes the image
// browser.
class CameraWgt_DataWidget_Title_SetROI : public CameraWgt_DataWidget_Title
{
    Q_OBJECT

public:
    explicit CameraWgt_DataWidget_Title_SetROI(QWidget *parent);

    void setImageInfo(const QString &text);
    QString imageInfo() const;

    void setSingleView(bool single) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    QLabel *infoLabel() const { return info; }

private:
    void toggleImageBrowser();

    QLabel *info = nullptr;
};

#endif
