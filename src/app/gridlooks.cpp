#include "app/gridlooks.h"

#include <QStringList>
#include <QTableView>

namespace tandor28 {

namespace {

CellLook headerLook()
{
    CellLook look;
    look.foreground = kWhite;
    look.background = kHeaderGrey;
    look.centred = true;
    return look;
}

void setHeaders(QTableView* view, const QStringList& headers, int firstColumn = 0)
{
    for (int i = 0; i < headers.size(); ++i)
        setCellText(view, kHeaderRow, firstColumn + i, headers.at(i));
}

void setColumnWidths(QTableView* view, const QList<int>& widths)
{
    for (int column = 0; column < widths.size(); ++column)
        view->setColumnWidth(column, widths.at(column));
}

// The rows below the header of the draw and prediction tables: centred, bold, larger.
CellLook boldDataLook()
{
    CellLook look;
    look.centred = true;
    look.bold = true;
    look.fontHeight = kDataRowFontHeight;
    return look;
}

} // namespace

CellLook drawTableLook(int row, int column)
{
    Q_UNUSED(column);
    if (row == kHeaderRow)
        return headerLook();
    CellLook look = boldDataLook();
    look.foreground = kSpecialBlue;
    return look;
}

CellLook predictionTableLook(int row, int column)
{
    if (row == kHeaderRow)
        return headerLook();
    CellLook look = boldDataLook();
    if (row == kNextIssueRow || column <= kLastDrawColumn)
        look.foreground = kSpecialBlue;
    return look;
}

CellLook trendTableLook(int row, int column)
{
    Q_UNUSED(column);
    if (row == kHeaderRow)
        return headerLook();
    CellLook look;
    look.centred = true;
    return look;
}

void styleDrawTable(QTableView* view)
{
    if (GridModel* model = gridModel(view))
        model->setLook(&drawTableLook, view->font());
    setHeaders(view, {QStringLiteral("期号"), QStringLiteral("开奖号码")});
    view->setRowHeight(kHeaderRow, 28);
    setColumnWidths(view, {80, 120});
}

void stylePredictionTable(QTableView* view)
{
    if (GridModel* model = gridModel(view))
        model->setLook(&predictionTableLook, view->font());
    setHeaders(view, {QStringLiteral("期号"), QStringLiteral("时间"), QStringLiteral("开奖内容"),
                      QStringLiteral("特码"), QStringLiteral("预测"), QStringLiteral("预测"), QStringLiteral("结果")});
    setColumnWidths(view, {70, 45, 110, 40, 60, 65, 55});
}

void styleTrendTable(QTableView* view)
{
    if (GridModel* model = gridModel(view))
        model->setLook(&trendTableLook, view->font());
    setHeaders(view, {QStringLiteral("期号"), QStringLiteral("开奖号码"), QStringLiteral("大小"),
                      QStringLiteral("单双"), QStringLiteral("组合"), QStringLiteral("中边"), QStringLiteral("三余"),
                      QStringLiteral("四余"), QStringLiteral("五余")});
    setColumnWidths(view, {72, 105});
}

} // namespace tandor28
