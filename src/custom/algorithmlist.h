#pragma once

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace tandor28 {

// One saved algorithm: a name and three formulas joined by "|", with the statistics texts of the
// last refresh (empty until the first one after it was added).
struct CustomAlgorithm
{
    QString name;
    QString formulas;
    QString accuracy;
    QString winStreak;
    QString lossStreak;
    // Why a formula of the item is outside the formula language, empty when none is. Such an item is
    // kept as it was saved but never evaluated.
    QString refusal{};

    friend bool operator==(const CustomAlgorithm&, const CustomAlgorithm&) = default;
};

// The saved algorithm list as the tab shows it, in insertion order, with the index of the item last
// chosen (-1 before any). Deletions keep that index, so a second deletion removes the item that
// moved into its place.
struct AlgorithmList
{
    std::vector<CustomAlgorithm> items;
    int selectedIndex = -1;
};

// Splits at a separator: a piece between two separators counts even when empty, the piece after
// the last one only when it is not empty.
[[nodiscard]] std::vector<QString> splitPieces(const QString& text, const QString& separator);

// The three formulas of a "F1|F2|F3" text; missing pieces are empty formulas, extra ones are ignored.
[[nodiscard]] std::array<QString, 3> splitFormulas(const QString& formulas);
[[nodiscard]] QString joinFormulas(const QString& first, const QString& second, const QString& third);

class FormulaEvaluator;

// Why "保存算法" refuses a name and three formulas, in words for the user; nullopt when they can be
// saved. A name holding "----", or a name or formula holding a line break or "|", would load back
// as another record; a formula outside the formula language is refused with its reason. Empty
// names and formulas, and duplicates, are accepted.
[[nodiscard]] std::optional<QString> saveRefusal(FormulaEvaluator& evaluator, const QString& name,
                                                 const std::array<QString, 3>& formulas);

// Why the formulas text of a saved item is refused ("第2个公式：..."), or the empty text.
[[nodiscard]] QString formulasRefusal(FormulaEvaluator& evaluator, const QString& formulas);

// "保存算法": appends an item; no check is made (see saveRefusal).
void appendAlgorithm(AlgorithmList& list, const QString& name, const QString& first, const QString& second,
                     const QString& third);

// Choosing an item: remembers it as selected and returns it; nullopt (and -1 remembered) for an
// index outside the list.
[[nodiscard]] std::optional<CustomAlgorithm> chooseAlgorithm(AlgorithmList& list, int index);

// "删除该算法" / "删除选中": removes the item at the selected index when there is one; returns whether
// an item was removed. The selected index stays as it was.
bool deleteSelectedAlgorithm(AlgorithmList& list);

// "清空算法列表".
void clearAlgorithms(AlgorithmList& list);

} // namespace tandor28
