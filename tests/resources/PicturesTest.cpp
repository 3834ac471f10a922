#include "core/FontFallback.h"
#include "core/Globals.h"
#include "core/SkinPixmaps.h"
#include "platform/system/SystemActions.h"
#include "resources/Resources.h"
#include "tests/support/TempWorkDir.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <QtTest>

namespace {

// True when the picture shows something: not all of it is one colour.
bool showsSomething(const QImage &image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb first = pixels.pixel(0, 0);
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x) {
            if (pixels.pixel(x, y) != first)
                return true;
        }
    }
    return false;
}

QString runtimeFolder()
{
    return QString::fromLocal8Bit(qgetenv("MM_BINARY_DIR")) + QStringLiteral("/runtime");
}

void forgetSkinPixmaps()
{
    for (QPixmap *&pixmap : skinPixmaps) {
        delete pixmap;
        pixmap = nullptr;
    }
}

} // namespace

class PicturesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void embeddedIconExists_data();
    void embeddedIconExists();
    void runtimePictureExists_data();
    void runtimePictureExists();
    void skinPixmapsLoadFromWorkingFolder();
    void missingSkinFilesGiveNullPixmaps();
    void interfaceFontsFallBack_data();
    void interfaceFontsFallBack();
};

void PicturesTest::initTestCase()
{
    QVERIFY2(!qgetenv("MM_BINARY_DIR").isEmpty(), "MM_BINARY_DIR names the build folder");
    initResources();
    installFontFallbacks();
}

void PicturesTest::cleanup()
{
    forgetSkinPixmaps();
}

void PicturesTest::embeddedIconExists_data()
{
    QTest::addColumn<QString>("name");
    const QStringList names = {
        "slideru.png", "sliderd.png", "slidert.png", "Close.png", "Warn.png", "Checked.png",
        "Unchecked.png", "img/Resources/RadioBox1.png", "img/Resources/RadioBox2.png",
        "down-arrow.png", "Arrow2Left.png", "Arrow2Right.png", "Arrow2Left_hovered.png",
        "Arrow2Right_hovered.png", "Arrow2LeftBold.png", "hide.png", "show.png",
        "StartStop.png", "Stop.png", "SetSystem.png", "Retrain.png", "SetROI.png",
        "Statistics.png", "TemperatureChart.png", "TemperatureChart", "CavityManual.png",
        "ProductManual.png", "AddTemplate.png", "DoNotDetectTemp.png", "DeleteTemp.png",
        "RealTime2Temp.png", "Rectangle.png", "Circle.png", "Polygon.png",
        "DrawGestureArea.png", "CopyArea.png", "DeleteSelect.png", "DeleteAll.png",
        "LastPage.png", "NextPage.png", "Retest.png", "Resume.png", "Exposure.png",
        "Display.png", "CameraSwitch.png", "Backup.png", "Restore.png", "Delete.png",
        "Export.png", "Update.png", "Shutoff.png", "ModifyTime.png", "Calibrate.png",
        "Reset.png", "Version.png"};
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << QStringLiteral(":/") + name;
}

void PicturesTest::embeddedIconExists()
{
    QFETCH(QString, name);
    const QImage image(name);
    QVERIFY2(!image.isNull(), qPrintable(name));
    QVERIFY(showsSomething(image));
}

void PicturesTest::runtimePictureExists_data()
{
    QTest::addColumn<QString>("file");
    for (const char *file : {"images/background.png", "images/title.png", "images/line.png",
                             "images/edit.png", "images/logo.bmp", "images/left.png",
                             "images/right.png", "images/slideru.png", "images/sliderd.png",
                             "images/slidert.png", "logo/logo.png"})
        QTest::newRow(file) << QString::fromLatin1(file);
}

void PicturesTest::runtimePictureExists()
{
    QFETCH(QString, file);
    const QImage image(runtimeFolder() + QLatin1Char('/') + file);
    QVERIFY2(!image.isNull(), qPrintable(file));
    QVERIFY(showsSomething(image));
}

void PicturesTest::skinPixmapsLoadFromWorkingFolder()
{
    TempWorkDir work;
    SystemActions host;
    QVERIFY(host.copyDirectory(runtimeFolder() + QStringLiteral("/images"), work.filePath(QStringLiteral("images"))));

    loadSkinPixmaps();
    for (int slot = 0; slot < SkinPixmapCount; ++slot) {
        QVERIFY2(skinPixmaps[slot] && !skinPixmaps[slot]->isNull(), skinPixmapFiles[slot]);
        QCOMPARE(skinPixmaps[slot]->size(), QImage(QString::fromLatin1(skinPixmapFiles[slot])).size());
    }
}

void PicturesTest::missingSkinFilesGiveNullPixmaps()
{
    TempWorkDir work;
    loadSkinPixmaps();
    for (int slot = 0; slot < SkinPixmapCount; ++slot) {
        QVERIFY(skinPixmaps[slot]);
        // The slider parts are embedded; the rest are files of the working folder.
        const bool embedded = QByteArray(skinPixmapFiles[slot]).startsWith(":/");
        QCOMPARE(skinPixmaps[slot]->isNull(), !embedded);
    }
}

void PicturesTest::interfaceFontsFallBack_data()
{
    QTest::addColumn<QString>("family");
    QTest::newRow("SimHei") << QStringLiteral("SimHei");
    QTest::newRow("wenquanyi") << QStringLiteral("wenquanyi");
}

void PicturesTest::interfaceFontsFallBack()
{
    QFETCH(QString, family);
    const QFont font(family, 20);
    QVERIFY2(QFontInfo(font).family().startsWith(QStringLiteral("WenQuanYi Zen Hei")),
             qPrintable(QFontInfo(font).family()));
    const QFontMetrics metrics(font);
    // Simplified and traditional Chinese, Japanese kana.
    for (const uint character : {0x6A21u, 0x8996u, 0x307Fu, 0x30E2u})
        QVERIFY2(metrics.inFontUcs4(character), qPrintable(QString::number(character, 16)));
}

QTEST_MAIN(PicturesTest)
#include "PicturesTest.moc"
