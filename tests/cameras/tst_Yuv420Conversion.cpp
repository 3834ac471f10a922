#include "cameras/Yuv420Conversion.h"

#include <QtTest>

#include <random>
#include <vector>

namespace {

uchar clamped(int v)
{
    return uchar(qBound(0, v, 255));
}

// The formula written out pixel by pixel, as the camera maker states it: every product in
// double precision, truncated toward zero, each channel clamped; grey the exact truncation of
// its weighted sum.
struct Bgr
{
    uchar b, g, r;
};

Bgr referencePixel(int y, int v, int u)
{
    const int du = u - 128;
    const int dv = v - 128;
    return {clamped(y + int(1.732446 * du)), clamped(y - int(0.698001 * du) - int(0.703125 * dv)),
            clamped(y + int(1.370705 * dv))};
}

uchar referenceGrey(const Bgr &p)
{
    return uchar((587 * p.g + 299 * p.r + 114 * p.b) / 1000);
}

// A YV12 picture: Y plane, then V, then U.
struct Picture
{
    int width;
    int height;
    std::vector<uchar> bytes;

    Picture(int w, int h) : width(w), height(h), bytes(size_t(w * h * 3 / 2), 0) {}
    uchar *y() { return bytes.data(); }
    uchar *v() { return bytes.data() + width * height; }
    uchar *u() { return v() + width * height / 4; }
    int chromaAt(int r, int c) const { return (r / 2) * (width / 2) + c / 2; }

    Bgr reference(int r, int c)
    {
        return referencePixel(y()[r * width + c], v()[chromaAt(r, c)], u()[chromaAt(r, c)]);
    }
};

// Every pixel of both conversions equals the written-out formula; the first mismatch is named.
QString mismatch(Picture &picture)
{
    std::vector<uchar> bgra(size_t(picture.width * picture.height * 4), 0xEE);
    std::vector<uchar> grey(size_t(picture.width * picture.height), 0xEE);
    if (!yuv420ToBgra(picture.bytes.data(), bgra.data(), picture.width, picture.height)
        || !yuv420ToGray(picture.bytes.data(), grey.data(), picture.width, picture.height))
        return QStringLiteral("refused");
    for (int r = 0; r < picture.height; ++r) {
        for (int c = 0; c < picture.width; ++c) {
            const Bgr want = picture.reference(r, c);
            const uchar *got = bgra.data() + 4 * (r * picture.width + c);
            if (got[0] != want.b || got[1] != want.g || got[2] != want.r || got[3] != 0
                || grey[size_t(r * picture.width + c)] != referenceGrey(want))
                return QStringLiteral("pixel (%1, %2): got %3 %4 %5 %6 grey %7, want %8 %9 %10 0 grey %11")
                    .arg(c).arg(r).arg(got[0]).arg(got[1]).arg(got[2]).arg(got[3])
                    .arg(grey[size_t(r * picture.width + c)]).arg(want.b).arg(want.g).arg(want.r)
                    .arg(referenceGrey(want));
        }
    }
    return QString();
}

} // namespace

class Yuv420ConversionTest : public QObject
{
    Q_OBJECT

private slots:
    void knownPixels_data();
    void knownPixels();
    void everyChromaPairAndLuma();
    void oddWidthsAndTails_data();
    void oddWidthsAndTails();
    void refusesUnusableInput_data();
    void refusesUnusableInput();
};

void Yuv420ConversionTest::knownPixels_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("v");
    QTest::addColumn<int>("u");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("grey");
    QTest::newRow("neutral grey") << 128 << 128 << 128 << 128 << 128 << 128 << 128;
    QTest::newRow("red clamps high") << 255 << 255 << 128 << 255 << 166 << 255 << 202;
    QTest::newRow("black with low chroma clamps low") << 0 << 0 << 0 << 0 << 179 << 0 << 105;
    QTest::newRow("white") << 255 << 128 << 128 << 255 << 255 << 255 << 255;
    // Products truncate toward zero: 1.732446 * -1 gives -1, not -2.
    QTest::newRow("truncation toward zero") << 100 << 127 << 127 << 99 << 100 << 99 << 99;
}

// The coefficients are the camera maker's (G takes 0.698001 U and 0.703125 V).
void Yuv420ConversionTest::knownPixels()
{
    QFETCH(int, y);
    QFETCH(int, v);
    QFETCH(int, u);
    QFETCH(int, b);
    QFETCH(int, g);
    QFETCH(int, r);
    QFETCH(int, grey);
    Picture picture(2, 2);
    std::fill(picture.y(), picture.y() + 4, uchar(y));
    *picture.v() = uchar(v);
    *picture.u() = uchar(u);
    std::vector<uchar> bgra(16, 0xEE);
    std::vector<uchar> grey8(4, 0xEE);
    QVERIFY(yuv420ToBgra(picture.bytes.data(), bgra.data(), 2, 2));
    QVERIFY(yuv420ToGray(picture.bytes.data(), grey8.data(), 2, 2));
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(int(bgra[size_t(4 * i)]), b);
        QCOMPARE(int(bgra[size_t(4 * i + 1)]), g);
        QCOMPARE(int(bgra[size_t(4 * i + 2)]), r);
        QCOMPARE(int(bgra[size_t(4 * i + 3)]), 0);
        QCOMPARE(int(grey8[size_t(i)]), grey);
    }
}

// Every (V, U) pair with every luma value: the vectorised rows and the written-out formula
// agree everywhere, clamping and truncation included.
void Yuv420ConversionTest::everyChromaPairAndLuma()
{
    // 256 x 256 chroma samples cover every pair; a sample's 4 pixels take 4 luma values, so 64
    // pictures cover all 256.
    Picture picture(512, 512);
    for (int s = 0; s < 256 * 256; ++s) {
        picture.v()[s] = uchar(s >> 8);
        picture.u()[s] = uchar(s & 0xFF);
    }
    for (int base = 0; base < 256; base += 4) {
        for (int r = 0; r < 512; ++r) {
            for (int c = 0; c < 512; ++c)
                picture.y()[r * 512 + c] = uchar(base + (r & 1) * 2 + (c & 1));
        }
        const QString wrong = mismatch(picture);
        QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("luma from %1: %2").arg(base).arg(wrong)));
    }
}

void Yuv420ConversionTest::oddWidthsAndTails_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("narrower than a vector") << 6 << 4;
    QTest::newRow("vector plus a tail") << 34 << 6;
    QTest::newRow("the thermal size") << 640 << 512;
}

// Rows whose width is not a multiple of the vector length end in the scalar tail; random
// pictures of such widths convert like the formula, and rows never bleed into each other.
void Yuv420ConversionTest::oddWidthsAndTails()
{
    QFETCH(int, width);
    QFETCH(int, height);
    Picture picture(width, height);
    std::mt19937 random(uint32_t(width * 1000 + height));
    for (uchar &byte : picture.bytes)
        byte = uchar(random());
    const QString wrong = mismatch(picture);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void Yuv420ConversionTest::refusesUnusableInput_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("source");
    QTest::addColumn<bool>("destination");
    QTest::newRow("no source") << 4 << 4 << false << true;
    QTest::newRow("no destination") << 4 << 4 << true << false;
    QTest::newRow("width below 2") << 1 << 4 << true << true;
    QTest::newRow("no rows") << 4 << 0 << true << true;
    QTest::newRow("negative size") << -4 << -4 << true << true;
    QTest::newRow("odd width") << 5 << 4 << true << true;
    QTest::newRow("odd height") << 4 << 3 << true << true;
}

// Nothing is written when the input cannot be converted.
void Yuv420ConversionTest::refusesUnusableInput()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, source);
    QFETCH(bool, destination);
    const std::vector<uchar> yv12(64, 128);
    std::vector<uchar> out(128, 0xEE);
    const uchar *src = source ? yv12.data() : nullptr;
    uchar *dst = destination ? out.data() : nullptr;
    QVERIFY(!yuv420ToBgra(src, dst, width, height));
    QVERIFY(!yuv420ToGray(src, dst, width, height));
    QVERIFY(std::all_of(out.cbegin(), out.cend(), [](uchar b) { return b == 0xEE; }));
}

QTEST_APPLESS_MAIN(Yuv420ConversionTest)
#include "tst_Yuv420Conversion.moc"
