#include "drawnotice.h"

#include "model/classification.h"

namespace tandor28 {

QString initialIssueLabelText()
{
    return QStringLiteral("幸运28 第000000期");
}

QString issueOfTitle(const QString& title)
{
    const qsizetype start = title.indexOf(QStringLiteral("第"));
    const qsizetype end = start < 0 ? -1 : title.indexOf(QStringLiteral("期"), start + 1);
    if (start < 0 || end < 0)
        return {};
    return title.mid(start + 1, end - start - 1);
}

bool isNewDraw(const QString& oldIssue, const DrawHistory& history)
{
    // No newest draw is no new draw.
    if (history.isEmpty() || history.at(1).isEmpty())
        return false;
    return oldIssue != history.at(1).issue;
}

QString drawPopupDrawText(const Draw& newest)
{
    if (newest.isEmpty())
        return {};
    return newest.resultText + QLatin1Char(' ') + comboLabel(newest.sum);
}

QString drawPopupHistoryText(const DrawHistory& history)
{
    QString text = QStringLiteral("历史：");
    for (int position = 10; position >= 1; --position) {
        // Positions without a draw are left out, not shown as a sum of 00.
        if (!history.at(position).isEmpty())
            text += twoDigit(history.at(position).sum) + QLatin1Char(' ');
    }
    return text;
}

QString drawPopupTitle(int tick)
{
    return QStringLiteral("  Tandor28开奖提示:  双击关闭 ") + QString::number(10 - tick) +
           QStringLiteral("s后自动关闭");
}

QPoint drawPopupPosition(QSize screen)
{
    return {screen.width() - kDrawPopupSize.width() - 20, screen.height() - kDrawPopupSize.height() - 80};
}

DrawPopupTexts drawPopupTexts(const QString& issueLabel, const DrawHistory& history)
{
    return {drawPopupTitle(0), issueLabel, drawPopupDrawText(history.at(1)), drawPopupHistoryText(history)};
}

QPoint balloonPosition(QSize screen)
{
    return {screen.width(), screen.height() - 80};
}

} // namespace tandor28
