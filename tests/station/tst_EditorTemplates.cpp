// Templates and image records on the region editor page, and the image browser that chooses
// them: adding templates into free slots and then over the oldest file, deleting and paging
// templates, the recent NG images newest first, the stored OK and NG images and their drawing,
// and the browser's lists, which name what the page opens. The whole station runs in this
// process on one test camera.

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "resources/Resources.h"
#include "station/CameraWgtBox.h"
#include "station/CameraWgt_DataWidget.h"
#include "station/CameraWgt_DataWidget_Title_SetROI.h"
#include "station/CammerWidget.h"
#include "station/DrawROIWidget.h"
#include "station/ImagePickForm.h"
#include "station/ImagePickForm_List.h"
#include "station/ImageRecords.h"
#include "station/Main_MenuBtnWidget.h"
#include "station/MenuBtnWidget.h"
#include "station/MoJuWizard.h"
#include "station/StationGlobals.h"
#include "station/TemplateFiles.h"
#include "station/imageInfoListModel.h"
#include "tests/station/ModalBoxes.h"
#include "tests/station/StationHarness.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/ScreenCheck.h"
#include "uikit/ComboBox.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"

#include <QDialog>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int Cavity = 1;
constexpr int Width = StationHarness::Width;
constexpr int Height = StationHarness::Height;

// A grey picture of one value, as a view's frame.
std::vector<uchar> picture(int value)
{
    return std::vector<uchar>(size_t(Width) * Height, uchar(value));
}

// Sets a file's modification time, seconds from a fixed past moment.
bool stamp(const QString &path, int seconds)
{
    QFile file(path);
    const QDateTime base(QDate(2026, 1, 1), QTime(8, 0));
    return file.open(QIODevice::ReadWrite) && file.setFileTime(base.addSecs(seconds), QFileDevice::FileModificationTime);
}

bool writeTemplate(int slot, int value, int seconds)
{
    const std::vector<uchar> p = picture(value);
    return saveTemplateImage(templateFilePath(0, Cavity, slot), Width, Height, false, p.data())
        && stamp(templateFilePath(0, Cavity, slot), seconds);
}

// A stored result image of one colour, named like the archiver's.
bool writeRecord(bool ok, const QString &name, QColor colour, int seconds)
{
    const QString folder = recordFolder(0, Cavity, ok);
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".jpg");
    return QDir().mkpath(folder) && image.save(path, "JPG", 95) && stamp(path, seconds);
}

} // namespace

class EditorTemplatesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void templateSlotNames_data();
    void templateSlotNames();
    void fullSlotsReplaceTheOldest();
    void pagingSkipsFreeSlots();
    void firstTemplateStays();
    void deleteAllTemplates();
    void recentNgNewestFirst();
    void emptyRecordFolder();
    void recordsNewestFirstAndDrawn();
    void browserListsWhatThePageOpens();
    void browserOptions();
    void imageTitleTogglesBrowser();
    void stageComboFollowsTheBrowser();

private:
    MoJuWizard *station() const { return harness.station(); }
    DrawROIWidget *page() const { return station()->drawROIWidget; }
    CammerWidget *view() const { return station()->cameraViews[0]; }
    ImagePickForm *browser() const { return static_cast<ImagePickForm *>(station()->imageBrowser); }
    // Starts the station with the given template slots per stage and opens the editor on the
    // cavity stage.
    void openEditor(int templateSlots);
    void click(const char *name);
    // The slot whose picture holds value, -1 when none.
    int slotHolding(int value) const;

    StationHarness harness{1};
};

void EditorTemplatesTest::initTestCase()
{
    initResources();
    QVERIFY(harness.prepare());
}

void EditorTemplatesTest::cleanup()
{
    editorSource = -1;
    regionEditActive = false;
    harness.stop();
    // Only the template the harness prepared stays; no stored result images.
    QDir folder(stageFolder(0, Cavity));
    for (const QString &name : folder.entryList({QStringLiteral("template*")}, QDir::Files)) {
        if (name != QStringLiteral("template0.bmp"))
            folder.remove(name);
    }
    QDir(QStringLiteral("alarmimage")).removeRecursively();
}

void EditorTemplatesTest::openEditor(int templateSlots)
{
    harness.settings()[Param::TemplateCount] = templateSlots;
    QVERIFY(harness.start());
    station()->setRegionPage(page());
    station()->show();
    QTest::mouseClick(station()->sideMenu->mainPage()->button("pBtnSetROI"), Qt::LeftButton);
    QCOMPARE(editorSource, 0);
    page()->detectCombo()->setCurrentIndex(Cavity);
    QCOMPARE(station()->editDetect, Cavity);
    QCOMPARE(station()->currentCamera, 0);
}

void EditorTemplatesTest::click(const char *name)
{
    QPushButton *b = page()->button(name);
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

int EditorTemplatesTest::slotHolding(int value) const
{
    const auto &stageSlots = view()->templates[Cavity];
    for (size_t s = 0; s < stageSlots.size(); ++s) {
        if (view()->templateValid[Cavity][s] && stageSlots[s].front() == value && stageSlots[s].back() == value)
            return int(s);
    }
    return -1;
}

void EditorTemplatesTest::templateSlotNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("slot");
    QTest::newRow("first") << "template0.bmp" << 0;
    QTest::newRow("two digits") << "template10.bmp" << 10;
    QTest::newRow("not a number") << "templateX.bmp" << -1;
    QTest::newRow("empty number") << "template.bmp" << -1;
    QTest::newRow("copy") << "template2 (1).bmp" << -1;
    QTest::newRow("other extension") << "template2.jpg" << -1;
    QTest::newRow("sign") << "template-1.bmp" << -1;
}

void EditorTemplatesTest::templateSlotNames()
{
    QFETCH(QString, name);
    QFETCH(int, slot);
    QCOMPARE(templateSlotOfName(name), slot);
}

// Five slots: the free ones fill first; then each add replaces the oldest file other than
// template0.bmp, which becomes the newest, so the adds cycle through slots 1 to 4. A stray file
// that is not a template is never taken for slot 0, and an old file beyond the slots in use
// goes, its add landing in the last slot.
void EditorTemplatesTest::fullSlotsReplaceTheOldest()
{
    openEditor(5);
    // template0.bmp is the oldest file, and never replaced.
    QVERIFY(stamp(templateFilePath(0, Cavity, 0), 0));
    QFile stray(stageFolder(0, Cavity) + QStringLiteral("/templateX.bmp"));
    QVERIFY(stray.open(QIODevice::WriteOnly));
    stray.close();
    QVERIFY(stamp(stray.fileName(), -100));
    page()->sourceCombo()->setCurrentIndex(2);
    view()->recentNgCount[Cavity] = 1;

    const QVector<int> expected{1, 2, 3, 4, 1, 2, 3, 4, 1};
    for (int i = 0; i < expected.size(); ++i) {
        const int value = 10 + i;
        view()->recentNgImages[Cavity][0] = picture(value);
        ModalAnswerer answer(pressOk);
        click("pCButtonAddTemp");
        QVERIFY(answer.answered());
        const int slot = slotHolding(value);
        QCOMPARE(slot, expected[i]);
        std::vector<uchar> file(size_t(Width) * Height);
        QVERIFY(loadTemplateImage(templateFilePath(0, Cavity, slot), Width, Height, false, file.data()));
        QCOMPARE(int(file.front()), value);
        QVERIFY(stamp(templateFilePath(0, Cavity, slot), 10 + i));
    }
    QCOMPARE(view()->validTemplateCount[Cavity], 5);
    QVERIFY(page()->templatesChanged[0]);

    // template7.bmp, oldest of all, lies beyond the five slots.
    QVERIFY(writeTemplate(7, 99, -50));
    view()->recentNgImages[Cavity][0] = picture(77);
    ModalAnswerer answer(pressOk);
    click("pCButtonAddTemp");
    QVERIFY(answer.answered());
    QCOMPARE(slotHolding(77), 4);
    QVERIFY(!QFile::exists(templateFilePath(0, Cavity, 7)));
    QVERIFY(QFile::exists(stray.fileName()));
    QVERIFY(QFile::exists(templateFilePath(0, Cavity, 0)));
}

void EditorTemplatesTest::pagingSkipsFreeSlots()
{
    QVERIFY(writeTemplate(2, 2, 20));
    QVERIFY(writeTemplate(3, 3, 30));
    openEditor(5);
    QCOMPARE(view()->validTemplateCount[Cavity], 3);
    QSignalSpy captions(page(), &DrawROIWidget::recentNgImg);
    QVector<int> shown;
    for (int i = 0; i < 3; ++i) {
        click("pCButtonTempNext");
        shown << view()->currentTemplate;
    }
    QCOMPARE(shown, (QVector<int>{2, 3, 0}));
    click("pCButtonTempLast");
    QCOMPARE(view()->currentTemplate, 3);
    QCOMPARE(int(view()->cameraImage.front()), 3);
    QVERIFY(captions.last().at(0).toString().startsWith(QStringLiteral("模板数 4 / 3")));

    // Deleting the template on show frees its slot and its file, and shows the next one.
    ModalAnswerer answer(pressOk);
    click("pCButtonTempDeleteCur");
    QVERIFY(answer.answered());
    QVERIFY(!QFile::exists(templateFilePath(0, Cavity, 3)));
    QCOMPARE(view()->templateValid[Cavity][3], 0);
    QCOMPARE(view()->validTemplateCount[Cavity], 2);
    QCOMPARE(view()->currentTemplate, 0);
    QVERIFY(page()->templatesChanged[0]);
    QCOMPARE(StationHarness::recordRemarks().last(), uiText(70).arg(1).arg(4));
}

void EditorTemplatesTest::firstTemplateStays()
{
    openEditor(5);
    QCOMPARE(view()->currentTemplate, 0);
    QString warned;
    ModalAnswerer answer([&](QWidget *box) {
        if (auto *b = qobject_cast<Warnbox *>(box))
            warned = b->text();
        closeBox(box);
    });
    click("pCButtonTempDeleteCur");
    QVERIFY(answer.answered());
    QCOMPARE(warned, uiText(68));
    QVERIFY(QFile::exists(templateFilePath(0, Cavity, 0)));
}

// Re-sampling starts from one template per stage, every file gone.
void EditorTemplatesTest::deleteAllTemplates()
{
    QVERIFY(writeTemplate(2, 2, 20));
    openEditor(5);
    page()->SlotTempDeleteAll();
    for (int d = 0; d < detectsPerCamera; ++d) {
        QCOMPARE(view()->validTemplateCount[d], 1);
        QVERIFY(QDir(stageFolder(0, d)).entryList({QStringLiteral("template*")}, QDir::Files).isEmpty());
    }
    QCOMPARE(view()->templateValid[Cavity][2], 0);
    QCOMPARE(StationHarness::recordRemarks().last(), uiText(71));
    // The harness's template is written again for the tests that follow.
    const QByteArray good = harness.goodFrame(0);
    QVERIFY(saveTemplateImage(templateFilePath(0, Cavity, 0), Width, Height, false,
                              reinterpret_cast<const uchar *>(good.constData())));
    QVERIFY(saveTemplateImage(templateFilePath(0, 0, 0), Width, Height, false,
                              reinterpret_cast<const uchar *>(good.constData())));
}

// Five NG images since the start: the ring holds the last three, the newest shown first, and
// the caption follows the paging.
void EditorTemplatesTest::recentNgNewestFirst()
{
    openEditor(5);
    // Image n went to ring slot (n - 1) mod 3: slots hold images 4, 5 and 3.
    view()->recentNgImages[Cavity][0] = picture(4);
    view()->recentNgImages[Cavity][1] = picture(5);
    view()->recentNgImages[Cavity][2] = picture(3);
    view()->recentNgCount[Cavity] = 5;
    QSignalSpy captions(page(), &DrawROIWidget::recentNgImg);
    page()->sourceCombo()->setCurrentIndex(2);
    const QString stageName = uiText(263 + Cavity);
    QVector<int> shown{view()->cameraImage.front()};
    QStringList texts{captions.last().at(0).toString()};
    for (int i = 0; i < 3; ++i) {
        click("pCButtonTempNext");
        shown << view()->cameraImage.front();
        texts << captions.last().at(0).toString();
    }
    QCOMPARE(shown, (QVector<int>{5, 4, 3, 5}));
    QCOMPARE(texts.at(1), uiText(314).arg(stageName).arg(2).arg(3));
    QCOMPARE(texts.at(2), uiText(314).arg(stageName).arg(3).arg(3));
    click("pCButtonTempLast");
    QCOMPARE(int(view()->cameraImage.front()), 3);
}

void EditorTemplatesTest::emptyRecordFolder()
{
    openEditor(5);
    QSignalSpy captions(page(), &DrawROIWidget::recentNgImg);
    page()->sourceCombo()->setCurrentIndex(4);
    QCOMPARE(captions.last().at(0).toString(), QStringLiteral("NG记录共0张图片"));
    const int emitted = captions.size();
    click("pCButtonTempNext");
    click("pCButtonTempLast");
    QCOMPARE(captions.size(), emitted);
    QCOMPARE(page()->recordCount, 0);
    QVERIFY(page()->recordImage.isNull());
}

void EditorTemplatesTest::recordsNewestFirstAndDrawn()
{
    QVERIFY(writeRecord(true, QStringLiteral("2026-01-01_08.00.10"), Qt::red, 10));
    QVERIFY(writeRecord(true, QStringLiteral("2026-01-01_08.00.30"), Qt::blue, 30));
    QVERIFY(writeRecord(true, QStringLiteral("2026-01-01_08.00.20"), Qt::green, 20));
    openEditor(5);
    QSignalSpy captions(page(), &DrawROIWidget::recentNgImg);
    page()->sourceCombo()->setCurrentIndex(3);
    QCOMPARE(page()->recordCount, 3);
    QCOMPARE(page()->recordFileName, QStringLiteral("2026-01-01_08.00.30"));
    QCOMPARE(captions.last().at(0).toString(), QStringLiteral("OK记录共3张图片 当前为第1张 2026-01-01_08.00.30"));
    // The view draws the stored image over its whole size.
    const QImage drawn = view()->grab().toImage();
    const QColor middle = drawn.pixelColor(drawn.width() / 2, drawn.height() / 2);
    QVERIFY2(middle.blue() > 200 && middle.red() < 60, qPrintable(middle.name()));

    click("pCButtonTempNext");
    QCOMPARE(page()->recordFileName, QStringLiteral("2026-01-01_08.00.20"));
    click("pCButtonTempLast");
    click("pCButtonTempLast");
    QCOMPARE(page()->recordIndex, 2);
    QCOMPARE(page()->recordFileName, QStringLiteral("2026-01-01_08.00.10"));
    QCOMPARE(captions.last().at(0).toString(), QStringLiteral("OK记录共3张图片 当前为第3张 2026-01-01_08.00.10"));
}

// The template list is in slot order (template2.bmp before template10.bmp) and an entry opens
// its own slot; a stored image's entry opens that image. Both lists are those of the camera
// and stage the page shows.
void EditorTemplatesTest::browserListsWhatThePageOpens()
{
    QVERIFY(writeTemplate(10, 100, 100));
    QVERIFY(writeTemplate(2, 20, 20));
    QVERIFY(writeRecord(false, QStringLiteral("older"), Qt::red, 10));
    QVERIFY(writeRecord(false, QStringLiteral("newer"), Qt::blue, 30));
    openEditor(12);
    QVERIFY(stamp(templateFilePath(0, Cavity, 0), 0));
    browser()->show();
    QSignalSpy entries(browser(), &ImagePickForm::imageChange);
    browser()->selectSource(0);
    QCOMPARE(editorSource, 0);
    const QStringList templates = browser()->listPanel()->model()->entries();
    QCOMPARE(templates, (QStringList{"template0.bmp 2026-01-01 08.00.00", "template2.bmp 2026-01-01 08.00.20",
                                     "template10.bmp 2026-01-01 08.01.40"}));
    QListView *list = browser()->listPanel()->listView();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(list->model()->index(2, 0)).center());
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.last().at(0).toInt(), 10);
    QCOMPARE(view()->currentTemplate, 10);
    QCOMPARE(int(view()->cameraImage.front()), 100);

    browser()->selectSource(4);
    QCOMPARE(editorSource, 4);
    QCOMPARE(browser()->listPanel()->model()->entries(), (QStringList{"newer.jpg", "older.jpg"}));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(list->model()->index(1, 0)).center());
    QCOMPARE(page()->recordFileName, QStringLiteral("older"));

    // Another stage: the page takes it over before the list is read.
    harness.settings()[Param::ProductStage] = 1;
    browser()->selectSource(0);
    browser()->selectDetect(0);
    QCOMPARE(station()->editDetect, 0);
    QCOMPARE(browser()->listPanel()->model()->entries().size(), 1);
    QVERIFY(browser()->listPanel()->model()->entries().first().startsWith(QStringLiteral("template0.bmp ")));
}

void EditorTemplatesTest::browserOptions()
{
    openEditor(5);
    ImagePickForm *b = browser();
    QCOMPARE(b->width(), 420);
    QCOMPARE(b->height(), station()->height() - 60);
    QSignalSpy sources(b, &ImagePickForm::sourceChange);
    QSignalSpy stages(b, &ImagePickForm::detectChange);
    b->selectSource(1);
    QCOMPARE(editorSource, 1);
    QVERIFY(b->listPanel()->isHidden());
    QVERIFY(b->findChild<QPushButton *>(QStringLiteral("detect_0"))->isHidden());
    QVERIFY(b->findChild<QPushButton *>(QStringLiteral("source_ontime"))->property("choose").toBool());
    b->selectSource(4);
    QVERIFY(!b->listPanel()->isHidden());
    QVERIFY(!b->findChild<QPushButton *>(QStringLiteral("detect_0"))->isHidden());
    QVERIFY(!b->findChild<QPushButton *>(QStringLiteral("source_ontime"))->property("choose").toBool());
    b->selectSource(5);
    b->selectDetect(-1);
    QCOMPARE(sources.size(), 2);
    QCOMPARE(stages.size(), 0);
}

void EditorTemplatesTest::imageTitleTogglesBrowser()
{
    openEditor(5);
    CameraWgt_DataWidget_Title_SetROI *title = station()->cameraBox->panel(0)->showImageInfoTitle();
    QVERIFY(title);
    QTest::mousePress(title->cameraLabel(), Qt::LeftButton);
    QVERIFY(browser()->isVisible());
    QCOMPARE(browser()->pos(), QPoint(0, title->height()));
    QTest::mousePress(title->cameraLabel(), Qt::LeftButton);
    QVERIFY(!browser()->isVisible());
}

// The browser's stage buttons change the page's stage; the page's combo box shows that stage.
void EditorTemplatesTest::stageComboFollowsTheBrowser()
{
    openEditor(5);
    harness.settings()[Param::ProductStage] = 1;
    QCOMPARE(page()->detectCombo()->currentIndex(), 1);
    CameraWgt_DataWidget_Title_SetROI *title = station()->cameraBox->panel(0)->showImageInfoTitle();
    QVERIFY(title);
    QTest::mousePress(title->cameraLabel(), Qt::LeftButton);
    QVERIFY(browser()->isVisible());
    auto *product = browser()->findChild<QPushButton *>(QStringLiteral("detect_0"));
    QVERIFY(product && product->isVisible());
    QVERIFY(ScreenCheck::touch(product));
    QCOMPARE(station()->editDetect, 0);
    QCOMPARE(page()->detectCombo()->currentIndex(), 0);
    QVERIFY(ScreenCheck::touch(browser()->findChild<QPushButton *>(QStringLiteral("detect_1"))));
    QCOMPARE(station()->editDetect, 1);
    QCOMPARE(page()->detectCombo()->currentIndex(), 1);
}

QTEST_MAIN(EditorTemplatesTest)
#include "tst_EditorTemplates.moc"
