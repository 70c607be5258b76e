#pragma once

#include "app/appstate.h"
#include "app/freeplanstab.h"
#include "app/gridmodel.h"
#include "app/memberplanstab.h"
#include "app/periodsbox.h"
#include "app/tablewriter.h"

#include "model/draw.h"
#include "model/textnum.h"

#include <QAbstractButton>
#include <QImage>
#include <QPushButton>
#include <QTableView>

#include <memory>
#include <optional>

// Both plan tabs over an in-memory history, as the main window wires them.
struct PlanTabsFixture
{
    explicit PlanTabsFixture(int drawCount)
    {
        std::vector<tandor28::Draw> draws;
        unsigned seed = 77;
        auto digit = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return QString::number((seed >> 16) % 10);
        };
        for (int position = 1; position <= drawCount; ++position) {
            const QString d1 = digit();
            const QString d2 = digit();
            const QString d3 = digit();
            draws.push_back(
                tandor28::makeDraw(QString::number(3255300 - position), QStringLiteral("10:30"), d1, d2, d3));
        }
        state.history = tandor28::DrawHistory(std::move(draws));
        // The periods box feeds the state as in the main window.
        QObject::connect(&periods, &tandor28::PeriodsBox::boxTextChanged, &state,
                         [this](const QString& text) { state.setBoxPeriods(tandor28::leadingInt(text)); });
        freeTab = std::make_unique<tandor28::FreePlansTab>(state);
        memberTab = std::make_unique<tandor28::MemberPlansTab>(state);
        freeTable = freeTab->table();
        memberTable = memberTab->table();
        for (QTableView* table : {freeTable, memberTable}) {
            for (int row = 1; row < tandor28::gridRowCount(table); ++row) {
                for (int column = 0; column < 7; ++column) {
                    tandor28::setCellText(table, row, column, QStringLiteral("old"));
                    tandor28::setCellTextColour(table, row, column, {1, 2, 3});
                }
            }
        }
        memberTab->fillPlanButtonList(freeTab->planButtons(), freeTab->betTypeButtons());
        freeTab->setInitialSelections();
        memberTab->setInitialSelections();
        freeTab->loadPlanRules();
        memberTab->loadPlanRules();
        freeTab->show();
        memberTab->show();
    }

    tandor28::AppState state;
    tandor28::PeriodsBox periods;
    std::unique_ptr<tandor28::FreePlansTab> freeTab;
    std::unique_ptr<tandor28::MemberPlansTab> memberTab;
    QTableView* freeTable = nullptr;
    QTableView* memberTable = nullptr;
};

// The grid shows the generated table: every written text, and every set colour (unset colours
// keep the colour the cell had before, here (1, 2, 3) or a colour of an earlier run).
inline bool gridShows(const QTableView* grid, const tandor28::PredictionTable& table, int row, QString* why)
{
    const tandor28::PredictionRow& cells = table.rows[std::size_t(row - 1)];
    for (int column = 0; column < 7; ++column) {
        const tandor28::PredictionCell& cell = cells[std::size_t(column)];
        if (cell.text && tandor28::cellText(grid, row, column) != *cell.text) {
            *why = QStringLiteral("row %1 column %2 text %3, expected %4")
                       .arg(row)
                       .arg(column)
                       .arg(tandor28::cellText(grid, row, column), *cell.text);
            return false;
        }
        if (cell.colour && tandor28::cellTextColour(grid, row, column) != *cell.colour) {
            *why = QStringLiteral("row %1 column %2 colour %3, expected %4")
                       .arg(row)
                       .arg(column)
                       .arg(tandor28::cellTextColour(grid, row, column).toHex(), cell.colour->toHex());
            return false;
        }
    }
    return true;
}

// How many buttons carry the selection highlight; `selected` is set to the 1-based index of the last.
inline int highlightedCount(const QList<QPushButton*>& buttons, int* selected)
{
    int count = 0;
    for (int i = 0; i < buttons.size(); ++i) {
        const tandor28::Rgb background = tandor28::buttonBackground(buttons.at(i));
        if (background == tandor28::kSelectedButton) {
            ++count;
            *selected = i + 1;
        } else if (background != tandor28::kUnselectedButton) {
            return -1;
        }
    }
    return count;
}

// The colour the button is actually painted with, away from its caption.
inline tandor28::Rgb paintedBackground(QWidget* button)
{
    const QImage image = button->grab().toImage();
    const QColor colour = image.pixelColor(4, 4);
    return {std::uint8_t(colour.red()), std::uint8_t(colour.green()), std::uint8_t(colour.blue())};
}
