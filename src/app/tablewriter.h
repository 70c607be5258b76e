#pragma once

#include "app/gridstyle.h"

class QTableWidget;

namespace tandor28 {

// Writes the cells of one table row: text and, where given, text colour. Rows and columns outside
// the table are ignored.
void writeRowTexts(QTableWidget* table, int row, int firstColumn, const QStringList& texts);

} // namespace tandor28
