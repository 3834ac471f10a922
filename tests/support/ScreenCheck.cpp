#include "tests/support/ScreenCheck.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextDocument>
#include <QWidget>

namespace ScreenCheck {

namespace {

// What an operator reads or taps.
bool isControl(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLabel *>(w)
           || qobject_cast<const QLineEdit *>(w) || qobject_cast<const QComboBox *>(w)
           || qobject_cast<const QAbstractSlider *>(w);
}

// Scrolled contents and the inner parts of a composite control are placed by their owner.
bool placedByOwner(const QWidget *w, const QWidget *window)
{
    for (const QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
        if (qobject_cast<const QAbstractScrollArea *>(p) || qobject_cast<const QComboBox *>(p)
            || qobject_cast<const QAbstractSlider *>(p) || qobject_cast<const QLineEdit *>(p))
            return true;
    }
    return false;
}

// Visible controls of the window, not those of windows inside it.
QList<QWidget *> shownControls(QWidget *window)
{
    QList<QWidget *> controls;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window || !w->isVisible() || !isControl(w) || placedByOwner(w, window))
            continue;
        controls.append(w);
    }
    return controls;
}

QRect rectInWindow(const QWidget *w)
{
    return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
}

// The part of the widget that its ancestors let show.
QRect shownRect(const QWidget *w)
{
    QRect shown = rectInWindow(w);
    for (const QWidget *p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        shown &= rectInWindow(p);
    return shown & w->window()->rect();
}

// Sibling indices from the window down: a later sibling, or a child of one, paints above.
QVector<int> paintPath(const QWidget *w)
{
    QVector<int> path;
    for (; w && !w->isWindow(); w = w->parentWidget())
        path.prepend(w->parentWidget()->children().indexOf(const_cast<QWidget *>(w)));
    return path;
}

bool paintsAbove(const QVector<int> &upper, const QVector<int> &lower)
{
    for (int i = 0; i < qMin(upper.size(), lower.size()); ++i)
        if (upper[i] != lower[i])
            return upper[i] > lower[i];
    return upper.size() > lower.size();
}

// The widget or one of its parents in the window has the name; "*" names any widget.
bool matches(const QWidget *w, const QString &name)
{
    if (name == QLatin1String("*"))
        return true;
    for (; w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (w->objectName() == name || QString::fromLatin1(w->metaObject()->className()) == name)
            return true;
    return false;
}

bool intended(const QWidget *a, const QWidget *b, const QVector<Overlay> &pairs)
{
    for (const Overlay &pair : pairs)
        if ((matches(a, pair.first) && matches(b, pair.second)) || (matches(a, pair.second) && matches(b, pair.first)))
            return true;
    return false;
}

// The controls' own texts: what a label or button shows.
QString shownText(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    return QString();
}

QString plain(const QString &text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// The room a label gives its text, and whether the text needs more.
QString labelCut(QLabel *label)
{
    if (label->text().isEmpty() || (label->pixmap(Qt::ReturnByValue).width() > 0))
        return QString();
    const QString text = plain(label->text());
    QRect room = label->contentsRect();
    const int margin = label->margin();
    room.adjust(margin, margin, -margin, -margin);
    if (label->indent() > 0)
        room.setLeft(room.left() + label->indent());
    const QFontMetrics metrics(label->font());
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 100000), flags, text);
    // A pixel or two of the line's leading may fall outside without cutting a glyph.
    if (needed.width() <= room.width() && needed.height() <= room.height() + 2)
        return QString();
    return QStringLiteral("needs %1x%2 in %3x%4").arg(needed.width()).arg(needed.height()).arg(room.width()).arg(room.height());
}

QString buttonCut(QAbstractButton *button)
{
    const QString text = button->text();
    if (text.isEmpty())
        return QString();
    const QFontMetrics metrics(button->font());
    const QSize textSize = metrics.size(Qt::TextShowMnemonic, text);
    QRect room;
    int iconWidth = 0;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = text;
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    if (!option.icon.isNull())
        iconWidth = option.iconSize.width() + 4;
    if (auto *check = qobject_cast<QCheckBox *>(button)) {
        room = check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
    } else {
        room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    if (room.isEmpty())
        room = button->contentsRect();
    if (textSize.width() + iconWidth <= room.width() && textSize.height() <= room.height() + 2)
        return QString();
    return QStringLiteral("needs %1x%2 in %3x%4")
        .arg(textSize.width() + iconWidth)
        .arg(textSize.height())
        .arg(room.width())
        .arg(room.height());
}

} // namespace

QString describe(const QWidget *widget)
{
    if (!widget)
        return QStringLiteral("(none)");
    QString text = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty())
        text += QLatin1Char('#') + widget->objectName();
    const QString shown = shownText(widget);
    if (!shown.isEmpty())
        text += QStringLiteral(" '%1'").arg(plain(shown).simplified());
    return text;
}

QStringList controlsOutsideWindow(QWidget *window)
{
    QStringList faults;
    for (QWidget *w : shownControls(window)) {
        const QRect whole = rectInWindow(w);
        if (shownRect(w) != whole)
            faults << QStringLiteral("%1 at %2,%3 %4x%5 is cut by its window %6 or a parent")
                          .arg(describe(w))
                          .arg(whole.x())
                          .arg(whole.y())
                          .arg(whole.width())
                          .arg(whole.height())
                          .arg(describe(window));
    }
    return faults;
}

QStringList windowOutsideScreen(QWidget *window)
{
    QScreen *screen = window->screen();
    const QRect area = screen ? screen->geometry() : QRect();
    const QRect place = window->frameGeometry();
    if (!screen || area.contains(place))
        return {};
    return {QStringLiteral("%1 at %2,%3 %4x%5 leaves the screen %6x%7")
                .arg(describe(window))
                .arg(place.x())
                .arg(place.y())
                .arg(place.width())
                .arg(place.height())
                .arg(area.width())
                .arg(area.height())};
}

QStringList coveringControls(QWidget *window, const QVector<Overlay> &pairs)
{
    QStringList faults;
    const QList<QWidget *> controls = shownControls(window);
    QVector<QVector<int>> paths;
    QVector<QRect> rects;
    for (QWidget *w : controls) {
        paths.append(paintPath(w));
        rects.append(shownRect(w));
    }
    for (int a = 0; a < controls.size(); ++a) {
        for (int b = 0; b < controls.size(); ++b) {
            QWidget *lower = controls[a];
            QWidget *upper = controls[b];
            if (a == b || lower->isAncestorOf(upper) || upper->isAncestorOf(lower)
                || !paintsAbove(paths[b], paths[a]) || !rects[a].intersects(rects[b])
                || intended(lower, upper, pairs))
                continue;
            faults << QStringLiteral("%1 covers %2").arg(describe(upper), describe(lower));
        }
    }
    return faults;
}

QStringList cutTexts(QWidget *window)
{
    QStringList faults;
    for (QWidget *w : shownControls(window)) {
        w->ensurePolished();
        QString cut;
        if (auto *label = qobject_cast<QLabel *>(w))
            cut = labelCut(label);
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            cut = buttonCut(button);
        if (!cut.isEmpty())
            faults << QStringLiteral("%1 %2").arg(describe(w), cut);
    }
    return faults;
}

QStringList allFaults(QWidget *window, const QVector<Overlay> &pairs)
{
    return windowOutsideScreen(window) + controlsOutsideWindow(window) + coveringControls(window, pairs)
           + cutTexts(window);
}

bool touch(QWidget *control)
{
    QWidget *window = control->window();
    const QPoint place = control->mapTo(window, control->rect().center());
    QWidget *target = window->childAt(place);
    if (!target)
        target = window;
    const bool reached = target == control || control->isAncestorOf(target);
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFrom(window, place));
    return reached;
}

bool topmostAtCentre(QWidget *window)
{
    QWidget *top = QApplication::widgetAt(window->geometry().center());
    return top && top->window() == window;
}

} // namespace ScreenCheck
