#ifndef STATION_IOSTATUSWIDGET_2_H
#define STATION_IOSTATUSWIDGET_2_H

#include <QList>
#include <QWidget>

class IOWidget_Item;
class QLabel;
class QTimer;

// The lamps of the machine's inputs and outputs in the bottom bar, each green while its
// signal is active: inputs after their polarity, outputs after their idle level, so both read
// the machine's sense. Polled every 20 ms from the I/O link; the bar also refreshes it at once
// when the link publishes new outputs, so short pulses show. While the I/O board does not
// answer, a note says so: the lamps then show what was last known.
class IOStatusWidget_2 : public QWidget
{
    Q_OBJECT

public:
    static constexpr int LampCount = 10;
    static constexpr int PollMs = 20;

    explicit IOStatusWidget_2(QWidget *parent = nullptr);

    // Reads the 20 signals and repaints the lamps that changed.
    void refreshLamps();

    IOWidget_Item *inputLamp(int i) const { return inputs.value(i); }
    IOWidget_Item *outputLamp(int i) const { return outputs.value(i); }
    QLabel *boardNote() const { return noBoard; }

private:
    void poll();

    QList<IOWidget_Item *> inputs;
    QList<IOWidget_Item *> outputs;
    QLabel *noBoard;
    QTimer *pollTimer;
};

#endif
