#ifndef STATION_IMAGEPICKFORM_H
#define STATION_IMAGEPICKFORM_H

#include "station/ImageBrowser.h"

#include <QStringList>
#include <QWidget>

class ImagePickForm_List;
class ImagePickForm_Source;
class QButtonGroup;

// The image browser: a narrow window at the left edge of the screen with the options of the
// region editor page (kind of image, camera, detect stage) above a list of the templates or
// stored result images. It shows no image itself: every choice goes to the editor page as a
// signal. The lists are those of the page's own camera and stage (station/ImageRecords.h), so
// an entry always opens the file it names. GUI thread only.
class ImagePickForm : public QWidget, public ImageBrowser
{
    Q_OBJECT

public:
    explicit ImagePickForm(QWidget *parent = nullptr);

    // ImageBrowser: each clicks the button of that id when the group has it.
    QWidget *browserWidget() override { return this; }
    void selectSource(int id) override;
    void selectCamera(int id) override;
    void selectDetect(int id) override;

    ImagePickForm_Source *sourcePanel() const { return options; }
    ImagePickForm_List *listPanel() const { return files; }

    // The entries of a source: template files "name time" by slot, stored images newest
    // first, nothing for the live and recent NG images.
    QStringList buildList(int source);

signals:
    void sourceChange(int id);
    void cameraChange(int id);
    void detectChange(int id);
    // A template's slot number, or a stored image's position in the list.
    void imageChange(int entry);

private:
    void sourceClicked(int id);
    void cameraClicked(int id);
    void detectClicked(int id);
    void rebuildList();
    void entryClicked(int row);
    static void clickId(QButtonGroup *group, int id);

    ImagePickForm_Source *options;
    ImagePickForm_List *files;
    // What each row of the list stands for (see imageChange).
    QVector<int> rowEntries;
};

#endif
