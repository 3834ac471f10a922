#include "statistics/CameraStatisticsWidget.h"

#include "core/TemperatureChartData.h"
#include "statistics/Histogram.h"
#include "uikit/UiKitGlobals.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QLabel *makeLabel(const QString &text, const QSize &size, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFixedSize(size);
    label->setFont(QFont(QStringLiteral("SimHei"), 10));
    return label;
}

} // namespace

QString ngRateText(double percent)
{
    return QString::number(percent, 'g', 4) + QLatin1Char('%');
}

void splitHourlyCounts(const QList<int> &counts, QList<int> *ok, QList<int> *ng)
{
    const int buckets = counts.size() / 2;
    *ok = counts.mid(0, buckets);
    *ng = counts.mid(buckets, buckets);
}

CameraStatisticsWidget::CameraStatisticsWidget(TemperatureChartData *store, QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout;
    column->setContentsMargins(30, 30, 0, 0);
    column->setSpacing(20);
    column->addWidget(makeLabel(uiText(587), QSize(150, 35), this));

    auto *pairs = new QGridLayout;
    pairs->setHorizontalSpacing(0);
    pairs->setVerticalSpacing(20);
    const struct
    {
        int caption;
        const char *name;
        const char *style;
    } rows[] = {{547, "totalCount", "color: #F2803F;"},
                {543, "totalNGCount", "color:red;"},
                {588, "totalNGRate", "color:red;"}};
    QLabel *values[3] = {};
    for (int row = 0; row < 3; ++row) {
        QLabel *caption = makeLabel(uiText(rows[row].caption), QSize(120, 25), this);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        values[row] = makeLabel(QString(), QSize(120, 25), this);
        values[row]->setObjectName(QString::fromLatin1(rows[row].name));
        values[row]->setStyleSheet(QString::fromLatin1(rows[row].style));
        values[row]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        pairs->addWidget(caption, row, 0);
        pairs->addWidget(values[row], row, 1);
    }
    totalCount = values[0];
    totalNGCount = values[1];
    totalNGRate = values[2];
    column->addLayout(pairs);
    column->addStretch();

    const QList<QStringList> labels = store->axisLabels();
    QList<int> ok;
    QList<int> ng;
    splitHourlyCounts(store->GetHourlyCounts(), &ok, &ng);
    histogram = new Histogram(this, labels.value(0), labels.value(1), ok, ng);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10, 0, 10, 0);
    row->addLayout(column);
    row->addWidget(histogram, 1);
    ShowTotals(store->totalCycles(), store->ngCycles(), store->ngRate());
}

void CameraStatisticsWidget::ShowTotals(int cycles, int ngCycles, double ngRatePercent)
{
    totalCount->setText(QString::number(cycles));
    totalNGCount->setText(QString::number(ngCycles));
    totalNGRate->setText(ngRateText(ngRatePercent));
}
