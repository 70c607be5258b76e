#include "app/tablewriter.h"

#include <QAbstractButton>
#include <QStringList>
#include <QTableView>
#include <QVariant>

#include <algorithm>

namespace tandor28 {

namespace {

const char* const kBackgroundProperty = "tandor28Background";
const char* const kCaptionProperty = "tandor28Caption";

Rgb storedColour(const QAbstractButton* button, const char* name, Rgb fallback)
{
    const QVariant value = button->property(name);
    if (!value.isValid())
        return fallback;
    const uint packed = value.toUInt();
    return {static_cast<std::uint8_t>(packed >> 16), static_cast<std::uint8_t>(packed >> 8),
            static_cast<std::uint8_t>(packed)};
}

void storeColour(QAbstractButton* button, const char* name, Rgb colour)
{
    button->setProperty(name, (uint(colour.r) << 16) | (uint(colour.g) << 8) | uint(colour.b));
}

QString cssColour(Rgb colour)
{
    return QStringLiteral("rgb(%1, %2, %3)").arg(colour.r).arg(colour.g).arg(colour.b);
}

// A style sheet carries both colours; the border keeps the background painted on every style.
void applyButtonColours(QAbstractButton* button)
{
    button->setStyleSheet(QStringLiteral("background-color: %1; color: %2; border: 1px solid rgb(160, 160, 160);")
                              .arg(cssColour(buttonBackground(button)), cssColour(buttonCaptionColour(button))));
}

} // namespace

void writeRowTexts(QTableView* table, int row, int firstColumn, const QStringList& texts)
{
    for (int i = 0; i < texts.size(); ++i)
        setCellText(table, row, firstColumn + i, texts.at(i));
}

void writePredictionTable(QTableView* table, const PredictionTable& prediction)
{
    if (!table)
        return;
    const int rows = std::min(static_cast<int>(prediction.rows.size()), gridRowCount(table) - 1);
    for (int i = 0; i < rows; ++i) {
        const PredictionRow& row = prediction.rows[static_cast<std::size_t>(i)];
        for (int column = 0; column < kPredictionColumns; ++column) {
            const PredictionCell& cell = row[static_cast<std::size_t>(column)];
            if (cell.text)
                setCellText(table, i + 1, column, *cell.text);
            if (cell.colour)
                setCellTextColour(table, i + 1, column, *cell.colour);
        }
    }
}

void writeDrawColumns(QTableView* table, const DrawHistory& history)
{
    for (int position = 1; position <= history.size(); ++position) {
        const Draw& draw = history.at(position);
        writeRowTexts(table, position + 1, 0, {draw.issue, draw.time.left(5), draw.resultText});
    }
}

int judgedRowCapacity(const QTableView* table)
{
    return std::max(0, gridRowCount(table) - 2);
}

void setButtonBackground(QAbstractButton* button, Rgb colour)
{
    if (!button)
        return;
    storeColour(button, kBackgroundProperty, colour);
    applyButtonColours(button);
}

void setButtonCaptionColour(QAbstractButton* button, Rgb colour)
{
    if (!button)
        return;
    storeColour(button, kCaptionProperty, colour);
    applyButtonColours(button);
}

Rgb buttonBackground(const QAbstractButton* button)
{
    return button ? storedColour(button, kBackgroundProperty, kUnselectedButton) : kUnselectedButton;
}

Rgb buttonCaptionColour(const QAbstractButton* button)
{
    return button ? storedColour(button, kCaptionProperty, kBlack) : kBlack;
}

} // namespace tandor28
