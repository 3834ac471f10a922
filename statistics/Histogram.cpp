#include "statistics/Histogram.h"

#include "uikit/UiKitGlobals.h"

#include <QPainter>

#include <algorithm>

namespace {

const QColor okColour(0, 255, 0, 200);
const QColor ngColour(255, 0, 0, 200);
constexpr int BarWidth = 40;
constexpr int LabelHeight = 40;
constexpr int ValueHeight = 20;

// One bar of a bucket with its value above it; x is the bar's left edge. A count too small
// for the scale still shows as a bar one pixel high.
void drawBar(QPainter &painter, double x, int base, int value, double scale, const QColor &colour)
{
    const double height = value * scale;
    const double drawn = value != 0 && height < 1 ? height + 1 : height;
    painter.fillRect(QRect(int(x), int(base - height), BarWidth, int(drawn)), colour);
    if (value != 0)
        painter.drawText(QRect(int(x), int(base - height - ValueHeight), BarWidth, ValueHeight),
                         Qt::AlignCenter, QString::number(value));
}

void drawLegendEntry(QPainter &painter, int right, const QString &text, const QColor &colour)
{
    painter.fillRect(QRect(right - 63, 0, 58, 30), colour);
    painter.drawText(QRect(right, 0, 100, 30), Qt::AlignCenter, text);
}

} // namespace

Histogram::Histogram(QWidget *parent, const QStringList &starts, const QStringList &ends,
                     const QList<int> &ok, const QList<int> &ng)
    : QWidget(parent), okValues(ok), ngValues(ng), startLabels(starts), endLabels(ends)
{
    setFixedHeight(760);
    UpdateBarCount();
    UpdateMaximum();
}

void Histogram::SetData(const QList<int> &ok, const QList<int> &ng)
{
    okValues = ok;
    ngValues = ng;
    UpdateBarCount();
    UpdateMaximum();
    update();
    emit finishDraw();
}

void Histogram::UpdateLabels(const QStringList &starts, const QStringList &ends)
{
    startLabels = starts;
    endLabels = ends;
    UpdateBarCount();
    update();
}

void Histogram::UpdateMaximum()
{
    maxValue = 0;
    for (const QList<int> *values : {&okValues, &ngValues}) {
        for (int value : *values)
            maxValue = std::max(maxValue, value);
    }
}

void Histogram::UpdateBarCount()
{
    barCount = int(std::min({okValues.size(), ngValues.size(), startLabels.size(),
                             endLabels.size()}));
}

void Histogram::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.setPen(QColor(QStringLiteral("#707070")));
    painter.setFont(QFont(QStringLiteral("SimHei"), 8));

    const int topBase = (h - 40) / 2 - 20;
    painter.drawLine(20, topBase, w - 20, topBase);
    painter.drawLine(20, 40, 20, topBase);
    painter.drawLine(20, h - 40, w - 20, h - 40);
    painter.drawLine(20, h / 2 + 40, 20, h - 40);

    const double scale = maxValue > 0 ? double(h / 2 - 120) / maxValue : 0.0;
    const int half = barCount / 2;
    const int topSpacing = (w - 40) / (half + 1);
    const int bottomSpacing = (w - 40) / (barCount - half + 1);

    painter.setPen(Qt::white);
    for (int i = 0; i < barCount; ++i) {
        const bool top = i < half;
        const int k = top ? i + 1 : i - half + 1;
        const int spacing = top ? topSpacing : bottomSpacing;
        const double x = double(k) * spacing;
        const int base = top ? h / 2 - 40 : h - 40;
        painter.drawText(QRectF(x - spacing / 2, base, spacing, LabelHeight), Qt::AlignCenter,
                         QStringLiteral("%1\n-\n%2").arg(startLabels.at(i), endLabels.at(i)));
        // The OK bar stands left of x, the NG bar right of it; they touch at x.
        drawBar(painter, x - BarWidth, base, okValues.at(i), scale, okColour);
        drawBar(painter, x, base, ngValues.at(i), scale, ngColour);
    }

    painter.setFont(QFont(QStringLiteral("SimHei"), 15));
    drawLegendEntry(painter, w - 140, uiText(589), okColour);
    drawLegendEntry(painter, w - 308, uiText(590), ngColour);
}
