#ifndef STATION_CAMERAWGT_DATAWIDGET_TITLE_H
#define STATION_CAMERAWGT_DATAWIDGET_TITLE_H

#include <QWidget>

// What a camera panel's title bar offers: the repaint task asks the title of every visible
// panel to refresh its status texts every 100 ms, and the panel tells it whether its camera is
// shown alone.
class CameraWgt_DataWidget_Title : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

    virtual void updateStatus() = 0;
    virtual void setSingleView(bool single) = 0;
};

#endif
