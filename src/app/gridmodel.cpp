#include "app/gridmodel.h"

#include <QAbstractItemView>
#include <QBrush>
#include <QColor>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace tandor28 {

namespace {

QColor toColor(Rgb colour)
{
    return {colour.r, colour.g, colour.b};
}

// A character height counts the whole character cell (ascent and descent); the pixel size of a Qt
// font is the em only. Take the largest size whose line fits the height.
int pixelSizeForCellHeight(QFont font, int height)
{
    int size = height;
    for (; size > 6; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= height)
            break;
    }
    return size;
}

} // namespace

GridModel::GridModel(int rowCount, int columnCount, QObject* parent)
    : QAbstractTableModel(parent), m_columnCount(std::max(0, columnCount)),
      m_rows(static_cast<std::size_t>(std::max(0, rowCount)),
             std::vector<Cell>(static_cast<std::size_t>(m_columnCount)))
{}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columnCount;
}

bool GridModel::contains(int row, int column) const
{
    return row >= 0 && column >= 0 && row < rowCount() && column < m_columnCount;
}

GridModel::Cell* GridModel::cell(int row, int column)
{
    return contains(row, column) ? &m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] : nullptr;
}

const GridModel::Cell* GridModel::cell(int row, int column) const
{
    return contains(row, column) ? &m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] : nullptr;
}

CellLook GridModel::look(int row, int column) const
{
    return m_look && contains(row, column) ? m_look(row, column) : CellLook{};
}

QFont GridModel::fontFor(const CellLook& look) const
{
    const std::pair key{look.bold, look.fontHeight};
    auto found = m_fonts.find(key);
    if (found == m_fonts.end()) {
        QFont font = m_font;
        if (look.bold)
            font.setWeight(QFont::Bold);
        if (look.fontHeight > 0)
            font.setPixelSize(pixelSizeForCellHeight(font, look.fontHeight));
        found = m_fonts.emplace(key, font).first;
    }
    return found->second;
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    const Cell* shown = cell(index.row(), index.column());
    if (!shown)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return shown->text;
    case Qt::ForegroundRole: {
        const std::optional<Rgb> colour =
            shown->foreground ? shown->foreground : look(index.row(), index.column()).foreground;
        return colour ? QVariant(QBrush(toColor(*colour))) : QVariant();
    }
    case Qt::BackgroundRole: {
        const std::optional<Rgb> colour =
            shown->background ? shown->background : look(index.row(), index.column()).background;
        return colour ? QVariant(QBrush(toColor(*colour))) : QVariant();
    }
    case Qt::FontRole: {
        const CellLook cellLook = look(index.row(), index.column());
        return cellLook.bold || cellLook.fontHeight > 0 ? QVariant(fontFor(cellLook)) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return look(index.row(), index.column()).centred ? QVariant(int(Qt::AlignCenter)) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    return contains(index.row(), index.column()) ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void GridModel::setRowCount(int rowCount)
{
    const int rows = std::max(0, rowCount);
    const int current = this->rowCount();
    if (rows > current) {
        beginInsertRows({}, current, rows - 1);
        m_rows.resize(static_cast<std::size_t>(rows), std::vector<Cell>(static_cast<std::size_t>(m_columnCount)));
        endInsertRows();
    } else if (rows < current) {
        beginRemoveRows({}, rows, current - 1);
        m_rows.resize(static_cast<std::size_t>(rows));
        endRemoveRows();
    }
}

void GridModel::setLook(GridLook look, const QFont& font)
{
    m_look = std::move(look);
    m_font = font;
    m_fonts.clear();
    if (rowCount() > 0 && m_columnCount > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, m_columnCount - 1));
}

void GridModel::changed(int row, int column)
{
    const QModelIndex at = index(row, column);
    Q_EMIT dataChanged(at, at);
}

void GridModel::setText(int row, int column, const QString& text)
{
    Cell* target = cell(row, column);
    if (!target || target->text == text)
        return;
    target->text = text;
    changed(row, column);
}

void GridModel::setForeground(int row, int column, Rgb colour)
{
    Cell* target = cell(row, column);
    if (!target || target->foreground == colour)
        return;
    target->foreground = colour;
    changed(row, column);
}

void GridModel::setBackground(int row, int column, Rgb colour)
{
    Cell* target = cell(row, column);
    if (!target || target->background == colour)
        return;
    target->background = colour;
    changed(row, column);
}

QString GridModel::text(int row, int column) const
{
    const Cell* shown = cell(row, column);
    return shown ? shown->text : QString();
}

Rgb GridModel::foreground(int row, int column) const
{
    const Cell* shown = cell(row, column);
    if (!shown)
        return kBlack;
    return shown->foreground.value_or(look(row, column).foreground.value_or(kBlack));
}

Rgb GridModel::background(int row, int column) const
{
    const Cell* shown = cell(row, column);
    if (!shown)
        return kWhite;
    return shown->background.value_or(look(row, column).background.value_or(kWhite));
}

void setUpGrid(QTableView* view, GridModel* model)
{
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setWordWrap(false);
    view->verticalHeader()->setMinimumSectionSize(8);
    view->verticalHeader()->setDefaultSectionSize(22);
    view->horizontalHeader()->setMinimumSectionSize(8);
    view->horizontalHeader()->setDefaultSectionSize(64);
    view->setModel(model);
}

GridModel* gridModel(const QAbstractItemView* view)
{
    return view ? qobject_cast<GridModel*>(view->model()) : nullptr;
}

void setGridRowCount(const QAbstractItemView* view, int rowCount)
{
    if (GridModel* model = gridModel(view))
        model->setRowCount(rowCount);
}

int gridRowCount(const QAbstractItemView* view)
{
    const GridModel* model = gridModel(view);
    return model ? model->rowCount() : 0;
}

void setCellText(const QAbstractItemView* view, int row, int column, const QString& text)
{
    if (GridModel* model = gridModel(view))
        model->setText(row, column, text);
}

void setCellTextColour(const QAbstractItemView* view, int row, int column, Rgb colour)
{
    if (GridModel* model = gridModel(view))
        model->setForeground(row, column, colour);
}

void setCellBackground(const QAbstractItemView* view, int row, int column, Rgb colour)
{
    if (GridModel* model = gridModel(view))
        model->setBackground(row, column, colour);
}

QString cellText(const QAbstractItemView* view, int row, int column)
{
    const GridModel* model = gridModel(view);
    return model ? model->text(row, column) : QString();
}

Rgb cellTextColour(const QAbstractItemView* view, int row, int column)
{
    const GridModel* model = gridModel(view);
    return model ? model->foreground(row, column) : kBlack;
}

Rgb cellBackground(const QAbstractItemView* view, int row, int column)
{
    const GridModel* model = gridModel(view);
    return model ? model->background(row, column) : kWhite;
}

QFont cellFont(const QAbstractItemView* view, int row, int column)
{
    const GridModel* model = gridModel(view);
    const QVariant font = model ? model->data(model->index(row, column), Qt::FontRole) : QVariant();
    return font.isValid() ? font.value<QFont>() : (view ? view->font() : QFont());
}

Qt::Alignment cellAlignment(const QAbstractItemView* view, int row, int column)
{
    const GridModel* model = gridModel(view);
    const QVariant alignment = model ? model->data(model->index(row, column), Qt::TextAlignmentRole) : QVariant();
    return alignment.isValid() ? Qt::Alignment(alignment.toInt()) : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace tandor28
