#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace qvtest {

// The texts of a window that do not show whole at its present size: labels,
// buttons (push, option, others by their size hint), tabs, column headers, menu bar entries
// and menu entries. One line per cut text, naming the control, the text and
// the room it needs and has; empty when everything fits.
QStringList cutTexts(QWidget* window);
// Saves what the window shows as <build dir>/screenshots/<name>.png.
bool saveScreenshot(QWidget* window, const QString& name);

}  // namespace qvtest
