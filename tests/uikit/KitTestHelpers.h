#ifndef TESTS_UIKIT_KITTESTHELPERS_H
#define TESTS_UIKIT_KITTESTHELPERS_H

#include "core/Globals.h"
#include "tests/support/ModalAnswerer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <QWidget>

// Small helpers shared by the UI kit's tests.
namespace kittest {

// Gives a UI text entry a text in every language.
inline void setText(int entry, const QString &text)
{
    for (int language = 0; language < 4; ++language)
        uiTexts[4 * entry + language] = text;
}

// Runs the deletions that widgets scheduled for themselves (closed keypads and popups).
inline void runDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Clicks the visible button with this text below widget; false when there is none.
inline bool clickKey(QWidget *widget, const QString &text)
{
    return ModalAnswerer::clickButton(widget, text);
}

} // namespace kittest

#endif
