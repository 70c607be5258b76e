#include "app/tablewriter.h"

#include <QStringList>

namespace tandor28 {

void writeRowTexts(QTableWidget* table, int row, int firstColumn, const QStringList& texts)
{
    for (int i = 0; i < texts.size(); ++i)
        setCellText(table, row, firstColumn + i, texts.at(i));
}

} // namespace tandor28
