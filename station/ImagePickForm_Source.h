#ifndef STATION_IMAGEPICKFORM_SOURCE_H
#define STATION_IMAGEPICKFORM_SOURCE_H

#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QLabel;

// The image browser's options: three groups of buttons for the kind of image, the camera and
// the detect stage. The groups are children named "sourcegroup", "cameragroup" and
// "detectgroup"; the buttons are made once, from the number of cameras and the machine mode
// of that moment. A clicked button is marked through the "choose" property.
class ImagePickForm_Source : public QWidget
{
    Q_OBJECT

public:
    explicit ImagePickForm_Source(QWidget *parent = nullptr);

    QButtonGroup *sourceGroup() const { return sources; }
    QButtonGroup *cameraGroup() const { return cameras; }
    QButtonGroup *detectGroup() const { return detects; }
    QLabel *detectLabel() const { return detectHeading; }

    // Ids last chosen in each group.
    int currentSource = 0;
    int sourceCamera = 0;
    int sourceDetect = 0;

private:
    QButtonGroup *makeGroup(const char *name);
    void addButton(QButtonGroup *group, int id, const char *objectName, const QString &text);
    // The group's heading in column 0 of the next row, its buttons three a row below.
    void layOutGroup(QLabel *heading, QButtonGroup *group);
    void mark(QButtonGroup *group, QAbstractButton *chosen);

    QLabel *typeHeading;
    QLabel *cameraHeading;
    QLabel *detectHeading;
    QButtonGroup *sources;
    QButtonGroup *cameras;
    QButtonGroup *detects;
    int nextRow = 0;
};

#endif
