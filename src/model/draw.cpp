#include "draw.h"

#include "classification.h"
#include "textnum.h"

#include <algorithm>
#include <climits>

namespace tandor28 {

QString lotteryShortName(LotteryKind kind)
{
    return kind == LotteryKind::Lucky28 ? QStringLiteral("幸运28") : QStringLiteral("加拿大28");
}

QString lotteryChooserName(LotteryKind kind)
{
    return kind == LotteryKind::Lucky28 ? QStringLiteral("PC蛋蛋幸运28") : QStringLiteral("加拿大夜场28");
}

Draw makeDraw(const QString& issue, const QString& time, QStringView d1, QStringView d2, QStringView d3)
{
    Draw draw;
    draw.issue = issue;
    draw.time = time;
    draw.d1 = leadingInt(d1);
    draw.d2 = leadingInt(d2);
    draw.d3 = leadingInt(d3);
    // Digits from a hostile feed may be huge; the sum is computed wide and clamped to stay defined.
    const long long sum = static_cast<long long>(draw.d1) + draw.d2 + draw.d3;
    draw.sum = static_cast<int>(std::clamp<long long>(sum, INT_MIN, INT_MAX));
    draw.resultText = resultText(draw.d1, draw.d2, draw.d3);
    return draw;
}

const Draw& DrawHistory::at(int position) const
{
    static const Draw empty;
    if (position < 1 || position > size())
        return empty;
    return m_draws[static_cast<std::size_t>(position - 1)];
}

bool DrawHistory::holdsAll(int first, int last) const
{
    for (int position = first; position <= last; ++position) {
        if (at(position).isEmpty())
            return false;
    }
    return true;
}

int DrawHistory::heldCount(int last) const
{
    int held = 0;
    for (int position = 1; position <= last; ++position)
        held += at(position).isEmpty() ? 0 : 1;
    return held;
}

} // namespace tandor28
