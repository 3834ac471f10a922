#include "cameras/SimulateCamera.h"
#include "tests/support/TempWorkDir.h"

#include <QDir>
#include <QImage>
#include <QtTest>

namespace {

constexpr int W = SimulateCamera::Width;
constexpr int H = SimulateCamera::Height;

// Each stored image gets its own pattern, so that a frame shows which image it came from
// and a wrong row stride or channel order shows in its bytes.
uchar pattern(int x, int y, int image)
{
    return uchar((x + 3 * y + 97 * image) & 0xFF);
}

// Kinds of stored file: "grey8" (8 bits, grey palette), "rgb24grey" (24 bits, equal channels),
// "rgb24colour" (24 bits, three different channels), "small" (8 bits, 1280 x 1024), "missing".
void writeStoredImage(const QString &path, const QString &kind, int image)
{
    if (kind == QLatin1String("missing"))
        return;
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QImage stored;
    if (kind == QLatin1String("grey8") || kind == QLatin1String("small")) {
        const QSize size = kind == QLatin1String("small") ? QSize(1280, 1024) : QSize(W, H);
        stored = QImage(size, QImage::Format_Indexed8);
        QVector<QRgb> greys;
        for (int i = 0; i < 256; ++i)
            greys << qRgb(i, i, i);
        stored.setColorTable(greys);
        for (int y = 0; y < size.height(); ++y) {
            uchar *row = stored.scanLine(y);
            for (int x = 0; x < size.width(); ++x)
                row[x] = pattern(x, y, image);
        }
    } else {
        stored = QImage(W, H, QImage::Format_RGB888);
        const bool colour = kind == QLatin1String("rgb24colour");
        for (int y = 0; y < H; ++y) {
            uchar *row = stored.scanLine(y);
            for (int x = 0; x < W; ++x) {
                const uchar v = pattern(x, y, image);
                row[3 * x] = v;                                   // R
                row[3 * x + 1] = colour ? uchar(v ^ 0x55) : v;    // G
                row[3 * x + 2] = colour ? uchar(255 - v) : v;     // B
            }
        }
    }
    QVERIFY(stored.save(path, "BMP"));

    // The file must really have the depth the case is about (bits per pixel at offset 28).
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(30);
    QCOMPARE(header.size(), 30);
    const int bits = uchar(header.at(28)) | uchar(header.at(29)) << 8;
    QCOMPARE(bits, kind.startsWith(QLatin1String("rgb24")) ? 24 : 8);
}

// The frame expected from stored image `image` of the given kind; image -1 is the zeroed
// buffer before any image was loaded.
QByteArray expectedFrame(const QString &kind, int image, bool colour)
{
    QByteArray frame(W * H * (colour ? 4 : 1), '\0');
    if (image < 0)
        return frame;
    const bool distinct = kind == QLatin1String("rgb24colour");
    uchar *out = reinterpret_cast<uchar *>(frame.data());
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const uchar v = pattern(x, y, image);
            if (!colour) {
                *out++ = v;
                continue;
            }
            *out++ = distinct ? uchar(255 - v) : v;   // B
            *out++ = distinct ? uchar(v ^ 0x55) : v;  // G
            *out++ = v;                               // R
            *out++ = 0;
        }
    }
    return frame;
}

} // namespace

class SimulateCameraTest : public QObject
{
    Q_OBJECT

private slots:
    void triggersStepThroughStoredImages_data();
    void triggersStepThroughStoredImages();
};

void SimulateCameraTest::triggersStepThroughStoredImages_data()
{
    QTest::addColumn<int>("deviceIndex");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("colour");
    // Which image each of three triggers leaves in the frame (-1: still the zeroed buffer).
    QTest::addColumn<QVector<int>>("shown");

    QTest::newRow("8-bit grey") << 0 << "grey8" << "grey8" << false << QVector<int>{0, 1, 0};
    QTest::newRow("24-bit to grey") << 0 << "rgb24grey" << "rgb24grey" << false << QVector<int>{0, 1, 0};
    QTest::newRow("24-bit to colour") << 0 << "rgb24colour" << "rgb24colour" << true << QVector<int>{0, 1, 0};
    QTest::newRow("8-bit to colour") << 0 << "grey8" << "grey8" << true << QVector<int>{0, 1, 0};
    QTest::newRow("second camera") << 1 << "grey8" << "grey8" << false << QVector<int>{0, 1, 0};
    QTest::newRow("second image missing") << 0 << "grey8" << "missing" << false << QVector<int>{0, 0, 0};
    QTest::newRow("second image wrong size") << 0 << "grey8" << "small" << false << QVector<int>{0, 0, 0};
    QTest::newRow("first image missing") << 0 << "missing" << "grey8" << false << QVector<int>{-1, 1, 1};
}

void SimulateCameraTest::triggersStepThroughStoredImages()
{
    QFETCH(int, deviceIndex);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, colour);
    QFETCH(QVector<int>, shown);

    TempWorkDir dir;
    QVERIFY(dir.isValid());
    const QString folder = QStringLiteral("cammer%1").arg(deviceIndex * 10 + 15);
    writeStoredImage(folder + QStringLiteral("/template0.bmp"), first, 0);
    writeStoredImage(folder + QStringLiteral("/template1.bmp"), second, 1);

    SimulateCamera prototype;
    const QList<CameraInfo> devices = prototype.enumerate();
    QCOMPARE(devices.size(), 2);
    std::unique_ptr<CameraInterface> camera = prototype.create(devices.at(deviceIndex));
    QVERIFY(camera);
    camera->setColorOutput(colour);
    QVERIFY(camera->open());

    const QStringList kinds = {first, second};
    QByteArray frame(W * H * (colour ? 4 : 1), '\x7F');
    for (int trigger = 0; trigger < shown.size(); ++trigger) {
        camera->nextSimulatedFrame();
        // A stored image is handed over on every pull but never counts as a new frame.
        QVERIFY(!camera->getImage(reinterpret_cast<uchar *>(frame.data()), frame.size()));
        const int image = shown.at(trigger);
        const QByteArray expected = expectedFrame(image < 0 ? QString() : kinds.at(image), image, colour);
        QVERIFY2(frame == expected, qPrintable(QStringLiteral("trigger %1").arg(trigger + 1)));
    }
}

QTEST_GUILESS_MAIN(SimulateCameraTest)
#include "tst_SimulateCamera.moc"
