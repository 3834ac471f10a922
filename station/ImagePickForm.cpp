#include "station/ImagePickForm.h"

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "station/ImagePickForm_List.h"
#include "station/ImagePickForm_Source.h"
#include "station/ImageRecords.h"
#include "station/MoJuWizard.h"
#include "station/StationGlobals.h"
#include "station/imageInfoListModel.h"
#include "uikit/UiKitGlobals.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

namespace {

constexpr int BrowserWidth = 420;
constexpr int BrowserHeightMargin = 60;

// The camera and stage the region page shows, as its image records take them.
int pageCamera()
{
    const int c = mainWindow ? mainWindow->currentCamera : 0;
    return cameraInUse(c) ? c : -1;
}

int pageStage()
{
    const int d = mainWindow ? mainWindow->editDetect : 0;
    return d >= 0 && d < detectsPerCamera ? d : 0;
}

} // namespace

ImagePickForm::ImagePickForm(QWidget *parent)
    : QWidget(parent)
    , options(new ImagePickForm_Source(this))
    , files(new ImagePickForm_List(this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(options, 0, Qt::AlignTop);
    column->addWidget(files);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    const int screenHeight = mainWindow ? mainWindow->height() : mainViewHeight;
    setFixedSize(BrowserWidth, std::max(screenHeight - BrowserHeightMargin, 0));

    connect(options->sourceGroup(), &QButtonGroup::idClicked, this, &ImagePickForm::sourceClicked);
    connect(options->cameraGroup(), &QButtonGroup::idClicked, this, &ImagePickForm::cameraClicked);
    connect(options->detectGroup(), &QButtonGroup::idClicked, this, &ImagePickForm::detectClicked);
    connect(files->listView(), &QListView::clicked, this, [this](const QModelIndex &index) { entryClicked(index.row()); });
}

void ImagePickForm::clickId(QButtonGroup *group, int id)
{
    if (QAbstractButton *b = id >= 0 && id < group->buttons().size() ? group->button(id) : nullptr)
        b->click();
}

void ImagePickForm::selectSource(int id)
{
    clickId(options->sourceGroup(), id);
}

void ImagePickForm::selectCamera(int id)
{
    clickId(options->cameraGroup(), id);
}

void ImagePickForm::selectDetect(int id)
{
    clickId(options->detectGroup(), id);
}

void ImagePickForm::sourceClicked(int id)
{
    // The live picture has neither stages nor files to choose.
    const bool live = id == EditorSources::Live;
    if (live || options->currentSource == EditorSources::Live) {
        for (QAbstractButton *b : options->detectGroup()->buttons())
            b->setVisible(!live);
        options->detectLabel()->setVisible(!live && !options->detectGroup()->buttons().isEmpty());
        files->setVisible(!live);
    }
    options->currentSource = id;
    emit sourceChange(id);
    rebuildList();
}

// The signal goes first: the page takes the camera or stage over before the list is read.
void ImagePickForm::cameraClicked(int id)
{
    options->sourceCamera = id;
    emit cameraChange(id);
    rebuildList();
}

void ImagePickForm::detectClicked(int id)
{
    options->sourceDetect = id;
    emit detectChange(id);
    rebuildList();
}

QStringList ImagePickForm::buildList(int source)
{
    rowEntries.clear();
    QStringList entries;
    const int camera = pageCamera();
    if (source == EditorSources::Template) {
        if (camera < 0)
            return entries;
        for (const TemplateFile &file : templateFiles(camera, pageStage())) {
            entries << file.info.fileName() + QLatin1Char(' ')
                    + file.info.lastModified().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
            rowEntries << file.slot;
        }
    } else if (source == EditorSources::OkRecords || source == EditorSources::NgRecords) {
        // Records of all cameras show the first camera's, as the page does.
        const QFileInfoList images = recordFiles(camera < 0 ? 0 : camera, pageStage(), source == EditorSources::OkRecords);
        for (int i = 0; i < images.size(); ++i) {
            entries << images.at(i).fileName();
            rowEntries << i;
        }
    }
    return entries;
}

void ImagePickForm::rebuildList()
{
    files->model()->setEntries(buildList(options->currentSource));
    files->listView()->update();
    files->update();
}

void ImagePickForm::entryClicked(int row)
{
    if (row >= 0 && row < rowEntries.size())
        emit imageChange(rowEntries.at(row));
}
