#include "algorithmlist.h"

#include "formula.h"

namespace tandor28 {

std::vector<QString> splitPieces(const QString& text, const QString& separator)
{
    std::vector<QString> pieces;
    qsizetype start = 0;
    while (true) {
        const qsizetype at = text.indexOf(separator, start);
        if (at < 0)
            break;
        pieces.push_back(text.mid(start, at - start));
        start = at + separator.size();
    }
    if (start < text.size())
        pieces.push_back(text.mid(start));
    return pieces;
}

std::array<QString, 3> splitFormulas(const QString& formulas)
{
    const std::vector<QString> pieces = splitPieces(formulas, QStringLiteral("|"));
    std::array<QString, 3> result;
    for (std::size_t i = 0; i < 3 && i < pieces.size(); ++i)
        result[i] = pieces[i];
    return result;
}

QString joinFormulas(const QString& first, const QString& second, const QString& third)
{
    return first + u'|' + second + u'|' + third;
}

namespace {

bool hasLineBreak(const QString& text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

std::optional<QString> saveRefusal(FormulaEvaluator& evaluator, const QString& name,
                                   const std::array<QString, 3>& formulas)
{
    if (name.contains(QStringLiteral("----")))
        return QStringLiteral("算法名称不能包含“----”：%1").arg(name);
    if (hasLineBreak(name))
        return QStringLiteral("算法名称不能包含换行。");
    if (name.contains(u'|'))
        return QStringLiteral("算法名称不能包含“|”：%1").arg(name);
    for (std::size_t i = 0; i < formulas.size(); ++i) {
        const QString& formula = formulas[i];
        const int box = static_cast<int>(i) + 1;
        if (hasLineBreak(formula))
            return QStringLiteral("第%1个公式不能包含换行。").arg(box);
        if (formula.contains(u'|'))
            return QStringLiteral("第%1个公式不能包含“|”：%2").arg(box).arg(formula);
        const std::shared_ptr<const CompiledFormula> compiled = evaluator.compiled(formula);
        if (compiled->mode == CompiledFormula::Mode::Refused)
            return QStringLiteral("第%1个公式不能保存：%2\n%3").arg(box).arg(compiled->refusal, formula);
    }
    return std::nullopt;
}

QString formulasRefusal(FormulaEvaluator& evaluator, const QString& formulas)
{
    const std::array<QString, 3> pieces = splitFormulas(formulas);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::shared_ptr<const CompiledFormula> compiled = evaluator.compiled(pieces[i]);
        if (compiled->mode == CompiledFormula::Mode::Refused)
            return QStringLiteral("第%1个公式：%2").arg(static_cast<int>(i) + 1).arg(compiled->refusal);
    }
    return {};
}

void appendAlgorithm(AlgorithmList& list, const QString& name, const QString& first, const QString& second,
                     const QString& third)
{
    CustomAlgorithm item;
    item.name = name;
    item.formulas = joinFormulas(first, second, third);
    list.items.push_back(std::move(item));
}

std::optional<CustomAlgorithm> chooseAlgorithm(AlgorithmList& list, int index)
{
    if (index < 0 || index >= static_cast<int>(list.items.size())) {
        list.selectedIndex = -1;
        return std::nullopt;
    }
    list.selectedIndex = index;
    return list.items[static_cast<std::size_t>(index)];
}

bool deleteSelectedAlgorithm(AlgorithmList& list)
{
    if (list.selectedIndex < 0 || list.selectedIndex >= static_cast<int>(list.items.size()))
        return false;
    list.items.erase(list.items.begin() + list.selectedIndex);
    return true;
}

void clearAlgorithms(AlgorithmList& list)
{
    list.items.clear();
}

} // namespace tandor28
