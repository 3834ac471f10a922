#include "station/IOStatusWidget_2.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "station/IOWidget_Item.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

namespace {

// Lamps 0..4 of each kind carry the names of the machine mode; the rest are numbered.
constexpr int NamedLamps = 5;

} // namespace

IOStatusWidget_2::IOStatusWidget_2(QWidget *parent)
    : QWidget(parent)
    , noBoard(new QLabel(this))
    , pollTimer(new QTimer(this))
{
    for (int i = 0; i < LampCount; ++i) {
        auto *input = new IOWidget_Item(i, true, this);
        auto *output = new IOWidget_Item(i, false, this);
        input->setText(i < NamedLamps && i < IoNameCount ? ioInputNames[i] : QStringLiteral("I-%1").arg(i + 1));
        output->setText(i < NamedLamps && i < IoNameCount ? ioOutputNames[i] : QStringLiteral("O-%1").arg(i + 1));
        inputs.append(input);
        outputs.append(output);
    }

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    auto *inputRow = new QHBoxLayout;
    auto *outputRow = new QHBoxLayout;
    for (QHBoxLayout *inner : {inputRow, outputRow}) {
        inner->setSpacing(3);
        inner->setContentsMargins(0, 0, 0, 0);
    }
    for (IOWidget_Item *lamp : qAsConst(inputs))
        inputRow->addWidget(lamp);
    for (IOWidget_Item *lamp : qAsConst(outputs))
        outputRow->addWidget(lamp);
    row->addLayout(inputRow);
    row->addLayout(outputRow);
    noBoard->setText(tr("I/O板无应答"));
    noBoard->setStyleSheet(QStringLiteral("QLabel{color:#F44336;font-size:20px;background-color:transparent;}"));
    noBoard->hide();
    row->addWidget(noBoard);

    const bool extraOutputs = currentParams && (*currentParams)[Param::MultiOutput] != 0;
    for (int i = 0; i < LampCount; ++i) {
        inputs[i]->setVisible(i < NamedLamps);
        outputs[i]->setVisible(i < NamedLamps || extraOutputs);
    }
    update();
    pollTimer->setSingleShot(true);
    connect(pollTimer, &QTimer::timeout, this, &IOStatusWidget_2::poll);
    pollTimer->start(1);
}

void IOStatusWidget_2::refreshLamps()
{
    if (!controlPort)
        return;
    for (int i = 0; i < LampCount; ++i) {
        inputs[i]->setLit(controlPort->GetIOState(false, i));
        outputs[i]->setLit(controlPort->IsOutputOn(i));
    }
    noBoard->setVisible(!controlPort->IsBoardAnswering());
}

void IOStatusWidget_2::poll()
{
    refreshLamps();
    pollTimer->start(PollMs);
}
