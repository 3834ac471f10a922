#ifndef STATION_DRAWROIWIDGET_H
#define STATION_DRAWROIWIDGET_H

#include "core/Globals.h"
#include "station/RegionPage.h"

#include <QImage>
#include <QString>
#include <QVector>
#include <QWidget>

#include <vector>

class CammerWidget;
class ComboBox;
class QPushButton;

// The region and template editor page, page 1 of the side menu: it chooses what the camera
// views show (templates, the live picture, the recent NG images, the stored OK and NG
// images), the camera and the detect stage edited and the drawing tool a press in the camera
// view applies. The regions themselves are the camera views' edit configurations; the page
// keeps its state in editorSource and the main window's editDetect, drawTool,
// copyAreaPending and freehandPolygon. GUI thread only.
class DrawROIWidget : public QWidget, public RegionPage
{
    Q_OBJECT

public:
    static constexpr int MaxCameras = CameraSlotCount;

    explicit DrawROIWidget(QWidget *parent = nullptr);

    // RegionPage
    void enterEditor() override;
    void closeEditor() override;

    QPushButton *button(const char *objectName) const;
    ComboBox *sourceCombo() const { return pComboChangeSource; }
    ComboBox *cameraCombo() const { return pComboChangeCamera; }
    ComboBox *detectCombo() const { return pComboChangeDetect; }

    // The first switch to the template source after enterEditor discards unsaved edits.
    bool resetEditOnTemplate = false;
    // Per camera: templates were added or deleted since the last save.
    bool templatesChanged[MaxCameras] = {};

    // The stored OK or NG image on show.
    QString recordFileName;
    QImage recordImage;
    int recordCamera = 0;
    int recordDetect = 0;
    int recordCount = 0;
    int recordIsOk = 0;
    int recordIndex = 0;

signals:
    // Caption of what the camera view shows.
    void recentNgImg(QString imgInfo);

public slots:
    void SlotChangeSource(int source);
    void SlotChangeCamera(int index);
    void SlotChangeDetect(int d);
    void SlotTempList(int index);
    // Shows the controls of the current source.
    void SlotChangePage();
    void SlotAutoChange();
    void SlotDrawRect();
    void SlotDrawCircle();
    void SlotDrawPloygn();
    void SlotDrawHand();
    void SlotCopyArea();
    void SlotDeleteROI();
    void SlotDeleteAllROI();

    void SlotReturn();
    void SlotNoCheckCur();
    void SlotAddTemp();
    void SlotTempLast();
    void SlotTempNext();
    void SlotTempDeleteCur();
    void SlotTempDeleteAll() override;
    void SlotSaveData();
    void SlotReCheck() override;
    void LoadPic();

    // The recent NG image shown as index (0 the newest) of the view's ring for a stage; null
    // when the stage has none.
    static const std::vector<uchar> *recentNgImage(const CammerWidget *view, int stage, int index);

private:
    ComboBox *addCombo(const char *objectName);
    QPushButton *addButton(const char *objectName, const QString &text);
    // The camera view shown alone; null while all cameras are shown.
    CammerWidget *shownView() const;
    bool alarmLatched() const;
    // The drawing tools and deletes act on a template of a single camera.
    bool toolsAllowed() const;
    // Puts a combo to index without running its slot.
    static void setQuietly(ComboBox *combo, int index);
    void startTool(int tool);
    void showTemplate(CammerWidget *view, int stage);
    void showRecentNg(CammerWidget *view, int stage);
    void resetEditConfigurations();
    // Output 3 goes off while an alarm is looked at on something else than the live picture.
    void silenceAlarmOutput();
    // The image on show of the recent NG ring (recentNgShown) and its caption.
    void showRecentNgImage(CammerWidget *view, int stage);
    void emitRecordCaption();
    // The paging commands act on a single camera's template slot and a stage in use.
    CammerWidget *pagingView() const;
    void stepTemplate(int direction);
    void stepRecentNg(int direction);
    void stepRecord(int direction);
    void repaintViews();
    void hideImageBrowser();
    // A command that a password setting may guard: with that setting on and general password
    // protection off, the login pad must grant a level; otherwise the usual login.
    bool permitted(int guardSetting);
    // Saves every changed camera in one transaction; false when it failed (nothing in force
    // then, and no record row written).
    bool saveChangedCameras(const QVector<int> &changed);
    static void warn(const QString &text);
    static bool confirm(const QString &text);

    ComboBox *pComboChangeSource;
    ComboBox *pComboChangeCamera;
    ComboBox *pComboChangeDetect;
    QPushButton *pCButtonDrawPloygn = nullptr;
};

#endif
