#include "station/TemplateFiles.h"
#include "tests/support/TempWorkDir.h"

#include <QFile>
#include <QImage>
#include <QtTest>

namespace {

constexpr int H = 48;

QByteArray pattern(int bytes, bool colour)
{
    QByteArray data(bytes, '\0');
    for (int i = 0; i < bytes; ++i) {
        // Colour pixels keep their fourth byte 0, as the cameras deliver them.
        data[i] = colour && i % 4 == 3 ? '\0' : char((i * 13 + i / 641) % 256);
    }
    return data;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

uchar *bytes(QByteArray &data)
{
    return reinterpret_cast<uchar *>(data.data());
}

} // namespace

class TemplateFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTripsByteForByte_data();
    void roundTripsByteForByte();
    void filesOfAnotherKindAreRefused_data();
    void filesOfAnotherKindAreRefused();
    void rowPaddingIsZero_data();
    void rowPaddingIsZero();
    void namesCountCameraAndStageFromOne();
};

void TemplateFilesTest::roundTripsByteForByte_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("width");
    for (int width : {640, 642}) {
        for (const char *kind : {"grey template", "colour template", "ignore mask"})
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(kind)).arg(width)))
                << QString::fromLatin1(kind) << width;
    }
}

void TemplateFilesTest::roundTripsByteForByte()
{
    QFETCH(QString, kind);
    QFETCH(int, width);
    TempWorkDir work;
    const bool colour = kind == QLatin1String("colour template");
    const bool mask = kind == QLatin1String("ignore mask");
    const auto save = [&](const QString &path, QByteArray &data) {
        return mask ? saveIgnoreMask(path, width, H, bytes(data))
                    : saveTemplateImage(path, width, H, colour, bytes(data));
    };
    const auto load = [&](const QString &path, QByteArray &data) {
        return mask ? loadIgnoreMask(path, width, H, bytes(data))
                    : loadTemplateImage(path, width, H, colour, bytes(data));
    };

    QByteArray written = pattern(width * H * (colour ? 4 : 1), colour);
    QVERIFY(save(QStringLiteral("first.bmp"), written));
    QByteArray read(written.size(), '\x55');
    QVERIFY(load(QStringLiteral("first.bmp"), read));
    QCOMPARE(read, written);

    // Grey files are 8-bit indexed bitmaps with the grey table; writing what was read gives
    // the same file.
    const QImage stored(QStringLiteral("first.bmp"));
    QCOMPARE(stored.depth(), colour ? 32 : 8);
    if (!colour)
        QCOMPARE(stored.colorTable(), greyColourTable());
    QVERIFY(save(QStringLiteral("second.bmp"), read));
    QCOMPARE(fileBytes(QStringLiteral("second.bmp")), fileBytes(QStringLiteral("first.bmp")));
}

void TemplateFilesTest::filesOfAnotherKindAreRefused_data()
{
    QTest::addColumn<bool>("writtenColour");
    QTest::addColumn<int>("writtenWidth");
    QTest::addColumn<QString>("readAs");
    QTest::newRow("colour camera, 8-bit template") << false << 640 << "colour template";
    QTest::newRow("grey camera, 32-bit template") << true << 640 << "grey template";
    QTest::newRow("32-bit ignore mask") << true << 640 << "ignore mask";
    QTest::newRow("template of another width") << false << 642 << "grey template";
    QTest::newRow("mask of another width") << false << 642 << "ignore mask";
}

void TemplateFilesTest::filesOfAnotherKindAreRefused()
{
    QFETCH(bool, writtenColour);
    QFETCH(int, writtenWidth);
    QFETCH(QString, readAs);
    TempWorkDir work;
    QByteArray written = pattern(writtenWidth * H * (writtenColour ? 4 : 1), writtenColour);
    QVERIFY(saveTemplateImage(QStringLiteral("file.bmp"), writtenWidth, H, writtenColour, bytes(written)));

    const bool colour = readAs == QLatin1String("colour template");
    QByteArray read(640 * H * (colour ? 4 : 1), '\x55');
    const QByteArray before = read;
    const bool loaded = readAs == QLatin1String("ignore mask")
                            ? loadIgnoreMask(QStringLiteral("file.bmp"), 640, H, bytes(read))
                            : loadTemplateImage(QStringLiteral("file.bmp"), 640, H, colour, bytes(read));
    QVERIFY(!loaded);
    QCOMPARE(read, before);
    QVERIFY(!loadTemplateImage(QStringLiteral("missing.bmp"), 640, H, false, bytes(read)));
}

void TemplateFilesTest::rowPaddingIsZero_data()
{
    QTest::addColumn<bool>("mask");
    QTest::newRow("grey template") << false;
    QTest::newRow("ignore mask") << true;
}

// Rows of a 642-pixel-wide 8-bit bitmap are padded to 644 bytes: the two padding bytes of
// every row are 0, not what the allocator left in the image.
void TemplateFilesTest::rowPaddingIsZero()
{
    QFETCH(bool, mask);
    constexpr int Width = 642;
    constexpr int Stride = 644;
    TempWorkDir work;
    QByteArray written = pattern(Width * H, false);
    QVERIFY(mask ? saveIgnoreMask(QStringLiteral("file.bmp"), Width, H, bytes(written))
                 : saveTemplateImage(QStringLiteral("file.bmp"), Width, H, false, bytes(written)));
    const QByteArray file = fileBytes(QStringLiteral("file.bmp"));
    QVERIFY(file.size() >= 14);
    const int pixels = int(uchar(file[10])) | int(uchar(file[11])) << 8 | int(uchar(file[12])) << 16;
    QCOMPARE(file.size(), pixels + Stride * H);
    for (int row = 0; row < H; ++row) {
        const int padding = pixels + row * Stride + Width;
        QVERIFY2(file[padding] == '\0' && file[padding + 1] == '\0',
                 qPrintable(QStringLiteral("row %1: %2 %3").arg(row).arg(int(uchar(file[padding]))).arg(int(uchar(file[padding + 1])))));
    }
}

void TemplateFilesTest::namesCountCameraAndStageFromOne()
{
    QCOMPARE(templateFilePath(0, 1, 0), QStringLiteral("./cammer12/template0.bmp"));
    QCOMPARE(templateFilePath(7, 3, 12), QStringLiteral("./cammer84/template12.bmp"));
    QCOMPARE(ignoreMaskFilePath(1, 0), QStringLiteral("./cammer21/ignorepoint.bmp"));
}

QTEST_GUILESS_MAIN(TemplateFilesTest)
#include "tst_TemplateFiles.moc"
