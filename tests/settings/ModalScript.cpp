#include "tests/settings/ModalScript.h"

#include "uikit/Warnbox.h"
#include "uikit/tipbox.h"

#include <QApplication>
#include <QEvent>

ModalScript::ModalScript(QVector<int> results)
    : results(std::move(results))
{
    qApp->installEventFilter(this);
    timer.setInterval(5);
    connect(&timer, &QTimer::timeout, this, &ModalScript::answer);
    timer.start();
}

ModalScript::~ModalScript()
{
    qApp->removeEventFilter(this);
}

bool ModalScript::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        if (auto *box = qobject_cast<tipbox *>(watched)) {
            shown << QStringLiteral("tipbox: ") + box->text();
            waiting << box;
        } else if (auto *box = qobject_cast<Warnbox *>(watched)) {
            shown << QStringLiteral("Warnbox: ") + box->text();
            waiting << box;
        }
    }
    return false;
}

// From the box's own modal loop, once it runs.
void ModalScript::answer()
{
    if (waiting.isEmpty())
        return;
    QDialog *box = waiting.first();
    if (box && QApplication::activeModalWidget() != box)
        return;
    waiting.removeFirst();
    if (box)
        box->done(results.isEmpty() ? 0 : results.takeFirst());
}
