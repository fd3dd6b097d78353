#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QMenu>
#include <QStringList>
#include <QWidget>

using namespace Qt::StringLiterals;

// The controls of a window a screen reader could not name: every control that takes
// the focus, and every button, without an accessible name (its own, its text, or
// its label's).
inline QStringList UnnamedControls(const QWidget &window)
{
    QStringList unnamed;
    for (QWidget *control : window.findChildren<QWidget *>()) {
        // Qt's own overflow buttons ("qt_...") are named by Qt's style, not by us.
        if (qobject_cast<QMenu *>(control) || control->objectName().startsWith(QLatin1String("qt_"))
            || (control->focusPolicy() == Qt::NoFocus && !qobject_cast<QAbstractButton *>(control)))
            continue;
        const QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        if (!accessible || accessible->text(QAccessible::Name).isEmpty())
            unnamed << u"%1 %2"_s.arg(QString::fromLatin1(control->metaObject()->className()), control->objectName());
    }
    return unnamed;
}
