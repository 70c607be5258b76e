#include "planrules.h"

#include "model/textnum.h"

#include <QFile>

#include <cstdlib>

namespace tandor28 {

void fillPlanSlots(WorkingValues& values, const DrawHistory& history, int k)
{
    for (int i = 0; i < 4; ++i) {
        const Draw& draw = history.at(k + i);
        values[3 * i] = draw.d1;
        values[3 * i + 1] = draw.d2;
        values[3 * i + 2] = draw.d3;
    }
}

PlanRule parsePlanRule(QStringView line)
{
    static const QString kMarker = QStringLiteral("----");
    PlanRule rule;
    const qsizetype start = line.indexOf(kMarker);
    if (start < 0)
        return rule;
    QStringView body = line.sliced(start + kMarker.size());
    const qsizetype end = body.indexOf(kMarker);
    if (end >= 0)
        body = body.first(end);

    bool wellFormed = true;
    int termIndex = 0;
    for (const QStringView term : body.split(u'|')) {
        if (termIndex == 3)
            break;
        for (const QStringView piece : term.split(u'+')) {
            const int position = leadingInt(piece);
            if (position >= 1 && position <= kPlanSlotCount)
                rule.terms[termIndex].push_back(position);
            else
                wellFormed = false;
        }
        ++termIndex;
    }
    rule.wellFormed = wellFormed && termIndex == 3;
    return rule;
}

int planNumber(const PlanRule& rule, const WorkingValues& values)
{
    int n = 0;
    for (const std::vector<int>& term : rule.terms) {
        long long sum = 0;
        for (const int position : term)
            sum += values[position - 1];
        // The last decimal digit of the sum; digits from a feed are never negative, but a negative
        // sum still gives the digit its text ends with.
        n += static_cast<int>(std::llabs(sum % 10));
    }
    return n;
}

int planNumber(QStringView ruleLine, const WorkingValues& values)
{
    return planNumber(parsePlanRule(ruleLine), values);
}

QStringList splitRuleList(const QString& text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = normalised.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

namespace {

QStringList readRuleResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return splitRuleList(QString::fromUtf8(file.readAll()));
}

} // namespace

PlanRules loadPlanRules()
{
    return {readRuleResource(QStringLiteral(":/plans/free.txt")),
            readRuleResource(QStringLiteral(":/plans/member.txt"))};
}

QString ruleLine(const QStringList& rules, int plan)
{
    if (plan < 1 || plan > rules.size())
        return {};
    return rules.at(plan - 1);
}

QString freePlanCaption(int plan)
{
    if (plan >= 1 && plan <= 4)
        return QStringLiteral("F01计划") + QChar(u'A' + (plan - 1));
    if (plan >= 5 && plan <= kFreePlanCount)
        return QStringLiteral("F%1计划").arg(plan - 3, 2, 10, QChar(u'0'));
    return {};
}

QString memberPlanCaption(int plan)
{
    // Groups of consecutive plan numbers: first plan, caption number, first letter.
    struct Group
    {
        int first;
        int last;
        int number;
        char16_t letter;
    };
    static constexpr Group kGroups[] = {
        {1, 4, 1, u'E'},    {5, 8, 14, u'A'},   {9, 12, 11, u'A'},  {13, 16, 9, u'A'},  {17, 20, 13, u'A'},
        {21, 21, 15, u'A'}, {22, 25, 12, u'A'}, {26, 28, 15, u'B'}, {29, 32, 16, u'A'}, {33, 40, 17, u'A'},
        {41, 44, 10, u'A'}, {45, 48, 18, u'A'}, {49, 52, 19, u'A'}, {53, 56, 20, u'A'},
    };
    for (const Group& group : kGroups) {
        if (plan >= group.first && plan <= group.last)
            return QStringLiteral("F%1计划").arg(group.number, 2, 10, QChar(u'0')) +
                   QChar(group.letter + (plan - group.first));
    }
    return {};
}

} // namespace tandor28
