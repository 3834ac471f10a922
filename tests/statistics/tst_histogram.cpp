// The painted histogram of the statistics window, rendered at the size it has in the window's
// page and checked pixel by pixel.
#include "statistics/Histogram.h"

#include <QImage>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int Width = 1400;
constexpr int Height = 760;

enum class Ink { None, Ok, Ng };

QStringList labels(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("03-05 %1:00:00").arg(i, 2, 10, QLatin1Char('0'));
    return list;
}

// The histogram drawn over black, as the window's dark page shows it.
QImage render(Histogram &histogram)
{
    histogram.resize(Width, Height);
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(Qt::black);
    histogram.render(&image);
    return image;
}

// The bars are green and red at alpha 200, so over black one channel is about 200.
Ink inkAt(const QImage &image, int x, int y)
{
    const QColor colour = image.pixelColor(x, y);
    if (colour.green() > 150 && colour.red() < 60 && colour.blue() < 60)
        return Ink::Ok;
    if (colour.red() > 150 && colour.green() < 60 && colour.blue() < 60)
        return Ink::Ng;
    return Ink::None;
}

// Every pixel of the rectangle has the ink.
bool filled(const QImage &image, const QRect &rect, Ink ink)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (inkAt(image, x, y) != ink)
                return false;
    return true;
}

// Bar pixels below the legend (which has a green and a red box in the top right corner).
int barPixels(const QImage &image)
{
    int count = 0;
    for (int y = 40; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            count += inkAt(image, x, y) != Ink::None;
    return count;
}

} // namespace

class HistogramTest : public QObject
{
    Q_OBJECT

private slots:
    void barsOfADayInTwoRows();
    void oneCountBesideTenThousandIsOnePixelHigh();
    void oddCountPutsTheExtraBucketBelow();
    void noBarsAtMaximumZero_data();
    void noBarsAtMaximumZero();
};

void HistogramTest::barsOfADayInTwoRows()
{
    QList<int> ok;
    QList<int> ng;
    for (int i = 0; i < 24; ++i) {
        ok << 0;
        ng << 0;
    }
    ok[0] = 10;   // the first bucket of the top row
    ng[0] = 5;
    ng[12] = 10;  // the first bucket of the bottom row
    Histogram histogram(nullptr, labels(24), labels(24), ok, ng);
    const QImage image = render(histogram);

    // 12 buckets a row, 104 px apart; scale (760 / 2 - 120) / 10 = 26 px a cycle.
    // Top row base 340: the OK bar left of x = 104, the NG bar right of it, touching.
    QVERIFY(filled(image, QRect(64, 80, 40, 260), Ink::Ok));
    QVERIFY(filled(image, QRect(104, 210, 40, 130), Ink::Ng));
    QCOMPARE(inkAt(image, 64, 79), Ink::None);
    QCOMPARE(inkAt(image, 63, 200), Ink::None);
    QCOMPARE(inkAt(image, 104, 209), Ink::None);
    QCOMPARE(inkAt(image, 144, 300), Ink::None);
    // Bottom row base 720.
    QVERIFY(filled(image, QRect(104, 460, 40, 260), Ink::Ng));
    QCOMPARE(inkAt(image, 84, 700), Ink::None);
    // Nothing but these three bars.
    QCOMPARE(barPixels(image), 40 * 260 + 40 * 130 + 40 * 260);
}

void HistogramTest::oneCountBesideTenThousandIsOnePixelHigh()
{
    Histogram histogram(nullptr, labels(2), labels(2), {10000, 0}, {0, 1});
    const QImage image = render(histogram);
    // One bucket a row; the bucket of the bottom row stands at x = 1360 / 2 = 680.
    QVERIFY(filled(image, QRect(680, 719, 40, 1), Ink::Ng));
    QCOMPARE(inkAt(image, 700, 718), Ink::None);
    QCOMPARE(inkAt(image, 700, 720), Ink::None);
    // Its value is drawn above it, in white.
    bool text = false;
    for (int y = 699; y < 719; ++y)
        for (int x = 680; x < 720; ++x)
            text = text || image.pixelColor(x, y).lightness() > 100;
    QVERIFY(text);
}

void HistogramTest::oddCountPutsTheExtraBucketBelow()
{
    Histogram histogram(nullptr, labels(5), labels(5), {1, 1, 1, 1, 1}, {0, 0, 0, 0, 0});
    QCOMPARE(histogram.bars(), 5);
    const QImage image = render(histogram);
    // Two buckets above (1360 / 3 = 453 px apart), three below (1360 / 4 = 340 px apart);
    // every bar is the full 260 px.
    for (int x : {453, 906})
        QVERIFY(filled(image, QRect(x - 40, 80, 40, 260), Ink::Ok));
    for (int x : {340, 680, 1020})
        QVERIFY(filled(image, QRect(x - 40, 460, 40, 260), Ink::Ok));
    QCOMPARE(barPixels(image), 5 * 40 * 260);
}

void HistogramTest::noBarsAtMaximumZero_data()
{
    QTest::addColumn<QList<int>>("ok");
    QTest::addColumn<QList<int>>("ng");
    QTest::addColumn<int>("labelCount");
    QTest::addColumn<int>("bars");

    QTest::newRow("all zero") << QList<int>({0, 0, 0}) << QList<int>({0, 0, 0}) << 3 << 3;
    QTest::newRow("no buckets") << QList<int>() << QList<int>() << 0 << 0;
    // Only as many buckets as the shortest list; the counts beyond it are not drawn at all.
    QTest::newRow("labels shorter than the counts") << QList<int>({0, 0, 7}) << QList<int>({0, 0, 3})
                                                   << 2 << 2;
}

void HistogramTest::noBarsAtMaximumZero()
{
    QFETCH(QList<int>, ok);
    QFETCH(QList<int>, ng);
    QFETCH(int, labelCount);
    QFETCH(int, bars);

    Histogram histogram(nullptr, labels(3), labels(3), {1}, {1});
    QSignalSpy drawn(&histogram, &Histogram::finishDraw);
    histogram.UpdateLabels(labels(labelCount), labels(labelCount));
    histogram.SetData(ok, ng);
    QCOMPARE(drawn.count(), 1);
    QCOMPARE(histogram.bars(), bars);
    const QImage image = render(histogram);
    if (bars < ok.size()) {
        // The 7 of the third bucket is the maximum, but it has no bucket.
        QCOMPARE(histogram.maximum(), 7);
    }
    QCOMPARE(barPixels(image), 0);
    // The axes are drawn all the same.
    QCOMPARE(image.pixelColor(20, 200), QColor(0x70, 0x70, 0x70));
}

QTEST_MAIN(HistogramTest)
#include "tst_histogram.moc"
