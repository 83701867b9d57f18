#pragma once

#include "tervixservices.h"

#include <QComboBox>
#include <QString>

// Small pieces the parameter pages share.
namespace PageWidgets {

// A line for the main window's operation log; dropped where there is no
// main window (tests that do not look).
inline void logLine(const QString &text)
{
    if (TervixServices *services = tervixServices()) {
        services->Log(text);
    }
}

// Shows the item of a record value that is an item index; a value with no
// item leaves no item current.
inline void showIndex(QComboBox *combo, quint32 value)
{
    combo->setCurrentIndex(value < quint32(combo->count()) ? int(value) : -1);
}

// Hands the combo's current index to `set`, unless no item is current: then
// the record keeps the value read, never -1 cut to the field's width.
template<typename Setter> void overlayIndex(const QComboBox *combo, Setter set)
{
    if (combo->currentIndex() >= 0) {
        set(combo->currentIndex());
    }
}

} // namespace PageWidgets
