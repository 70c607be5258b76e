#pragma once

#include "model/rgb.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class QAbstractItemView;
class QTableView;

namespace tandor28 {

// How a cell looks by where it stands, before a writer gives it a colour of its own.
struct CellLook
{
    std::optional<Rgb> foreground;
    std::optional<Rgb> background;
    bool bold = false;
    // The height of the character cell in pixels; 0 keeps the grid's font size.
    int fontHeight = 0;
    bool centred = false;
};

// The look of every cell of one grid by its row and column; row 0 is the header row.
using GridLook = std::function<CellLook(int row, int column)>;

// The cells of one grid as plain texts and colours, shown through the roles a view paints: text,
// text colour, background, font (weight and height) and alignment. A colour a writer sets takes the
// place of the look's colour in that cell; everything else comes from the grid's look.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    GridModel(int rowCount, int columnCount, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Added rows start empty in the grid's look; the cells of removed rows are forgotten.
    void setRowCount(int rowCount);
    // `font` is the grid's own font, which the look's weight and height build on.
    void setLook(GridLook look, const QFont& font);

    // Writers. A cell outside the grid is ignored; reading it gives the empty text.
    void setText(int row, int column, const QString& text);
    void setForeground(int row, int column, Rgb colour);
    void setBackground(int row, int column, Rgb colour);

    [[nodiscard]] QString text(int row, int column) const;
    // The colours as shown: the cell's own, else the look's, else black text on white.
    [[nodiscard]] Rgb foreground(int row, int column) const;
    [[nodiscard]] Rgb background(int row, int column) const;
    [[nodiscard]] CellLook look(int row, int column) const;

private:
    struct Cell
    {
        QString text;
        std::optional<Rgb> foreground;
        std::optional<Rgb> background;
    };

    [[nodiscard]] bool contains(int row, int column) const;
    [[nodiscard]] Cell* cell(int row, int column);
    [[nodiscard]] const Cell* cell(int row, int column) const;
    [[nodiscard]] QFont fontFor(const CellLook& look) const;
    void changed(int row, int column);

    int m_columnCount = 0;
    std::vector<std::vector<Cell>> m_rows;
    GridLook m_look;
    QFont m_font;
    // Fonts by (bold, height): working out a height takes font metrics, so each is made once.
    mutable std::map<std::pair<bool, int>, QFont> m_fonts;
};

// A table view as the program's grids are: row 0 of the model is the header row, so the view's own
// headers are hidden; no editing, one cell selectable. The view shows `model`.
void setUpGrid(QTableView* view, GridModel* model);

// The grid model a view shows; null for a view without one.
[[nodiscard]] GridModel* gridModel(const QAbstractItemView* view);
void setGridRowCount(const QAbstractItemView* view, int rowCount);
[[nodiscard]] int gridRowCount(const QAbstractItemView* view);

// Cell access through a view, for writers and tests: a cell outside the grid is ignored on writes
// and reads as the empty text, black on white.
void setCellText(const QAbstractItemView* view, int row, int column, const QString& text);
void setCellTextColour(const QAbstractItemView* view, int row, int column, Rgb colour);
void setCellBackground(const QAbstractItemView* view, int row, int column, Rgb colour);
[[nodiscard]] QString cellText(const QAbstractItemView* view, int row, int column);
[[nodiscard]] Rgb cellTextColour(const QAbstractItemView* view, int row, int column);
[[nodiscard]] Rgb cellBackground(const QAbstractItemView* view, int row, int column);
// The font and alignment the view paints the cell with.
[[nodiscard]] QFont cellFont(const QAbstractItemView* view, int row, int column);
[[nodiscard]] Qt::Alignment cellAlignment(const QAbstractItemView* view, int row, int column);

} // namespace tandor28
