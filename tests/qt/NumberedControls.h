#pragma once

// Every object below a window whose object name is a number, as
// "<number> <class> <caption>" in sorted order: the window's controls and
// commands as anything that finds them by number sees them. A box's caption
// is the text of the label that names it.
#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMap>
#include <QStringList>
#include <QWidget>

namespace tessaprint::test {

inline QStringList NumberedControls(const QWidget* window)
{
    QMap<const QObject*, QString> labelOf;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            labelOf.insert(label->buddy(), label->text());
        }
    }
    QStringList found;
    for (const QObject* object : window->findChildren<QObject*>()) {
        bool numeric = false;
        object->objectName().toInt(&numeric);
        if (!numeric) {
            continue;
        }
        QString caption = labelOf.value(object);
        if (const auto* button = qobject_cast<const QAbstractButton*>(object)) {
            caption = button->text();
        } else if (const auto* action = qobject_cast<const QAction*>(object)) {
            caption = action->text();
        } else if (const auto* label = qobject_cast<const QLabel*>(object)) {
            caption = label->text();
        }
        found << (object->objectName() + ' ' + QString::fromLatin1(object->metaObject()->className()) + ' ' + caption)
                     .trimmed();
    }
    found.sort();
    return found;
}

} // namespace tessaprint::test
