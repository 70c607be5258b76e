#pragma once

#include "model/dateddraw.h"
#include "model/draw.h"

#include <QList>
#include <QString>

#include <array>
#include <vector>

// Builders of draws and histories with chosen digits, sums or a fixed pseudo-random sequence.
namespace tandor28::testsupport {

// Digits 0..9 from a fixed linear congruential sequence: the same seed gives the same digits on
// every machine, so a test's draws never change between runs.
class DigitSequence
{
public:
    explicit DigitSequence(unsigned seed) : m_state(seed) {}

    int next()
    {
        m_state = m_state * 1103515245u + 12345u;
        return static_cast<int>((m_state >> 16) % 10);
    }

private:
    unsigned m_state;
};

// Digits 9, 9, rest (as far as the sum allows) so that any sum 0..27 can be drawn.
[[nodiscard]] std::array<int, 3> highDigitsOfSum(int sum);

[[nodiscard]] Draw drawWithDigits(const QString& issue, int d1, int d2, int d3, const QString& time = "12:00");
// Digits 9, 9, rest: see highDigitsOfSum.
[[nodiscard]] Draw drawWithSum(const QString& issue, int sum);

// `count` draws, newest first, issues counting down from `newestIssue`, digits from a fixed
// pseudo-random sequence so that plans and bet types meet hits and misses alike.
[[nodiscard]] DrawHistory sampleHistory(int count, long long newestIssue = 3255100, unsigned seed = 28);

// A draw whose digits add up to sum, spread so that no two digits are equal where that is possible
// (pairs and triples are built explicitly with drawOfDigits).
[[nodiscard]] Draw drawOfSum(int sum, int issue);
[[nodiscard]] Draw drawOfDigits(const QList<int>& digits, int issue);

// Newest first, issues counting down from 1000, padded with empty draws to `length` positions.
[[nodiscard]] DrawHistory historyOfSums(const QList<int>& sums, int length = kHistoryLength);
[[nodiscard]] DrawHistory historyOfDigits(const QList<QList<int>>& draws, int length = kHistoryLength);

// Draws first..last (issues), 210 s apart from a fixed local moment, digits from the issue: d1 the
// last digit, d2 the tens digit, d3 the hundreds digit.
[[nodiscard]] std::vector<DatedDraw> archiveDraws(qint64 first, qint64 last);

} // namespace tandor28::testsupport
