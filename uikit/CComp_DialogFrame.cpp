#include "uikit/CComp_DialogFrame.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

CComp_DialogFrame::CComp_DialogFrame(const QString &title, QWidget *parent)
    : QDialog(parent)
{
    qInfo("open dialog:%s", qPrintable(title));

    titleBar = new QWidget(this);
    titleBar->setObjectName(QStringLiteral("titleBar"));
    titleBar->setFixedHeight(60);

    labtitle = new QLabel(titleBar);
    labtitle->setObjectName(QStringLiteral("labtitle"));
    labtitle->setFixedHeight(60);
    labtitle->setText(title);

    auto *okButton = new QPushButton(tr("确定"), this);
    okButton->setObjectName(QStringLiteral("okBtn"));
    okButton->setFixedSize(120, 60);
    connect(okButton, &QPushButton::pressed, this, &CComp_DialogFrame::acceptDialog);

    titleLayout = new QHBoxLayout(titleBar);
    titleLayout->addWidget(labtitle);
    titleLayout->addStretch();
    titleLayout->addWidget(okButton);
    titleLayout->setContentsMargins(8, 0, 0, 0);

    contentWgt = new QWidget(this);
    contentWgt->setObjectName(QStringLiteral("contentWgt"));

    auto *column = new QVBoxLayout(this);
    column->addWidget(titleBar);
    column->addWidget(contentWgt);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 5);

    setMinimumSize(1000, 800);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
}

void CComp_DialogFrame::acceptDialog()
{
    accept();
}

// The frame cannot be dragged; the handlers only pass the events on.
void CComp_DialogFrame::mousePressEvent(QMouseEvent *event)
{
    QDialog::mousePressEvent(event);
}

void CComp_DialogFrame::mouseReleaseEvent(QMouseEvent *event)
{
    QDialog::mouseReleaseEvent(event);
}

void CComp_DialogFrame::mouseMoveEvent(QMouseEvent *event)
{
    QDialog::mouseMoveEvent(event);
}

void CComp_DialogFrame::paintEvent(QPaintEvent *)
{
    // Clear the dialog's own background to transparent wherever no child covers it.
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillRect(rect(), QBrush(Qt::SolidPattern));
}
