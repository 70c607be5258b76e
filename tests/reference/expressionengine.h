#pragma once

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QJSEngine;

namespace tandor28 {

// The reference our formula evaluator is held against in the differential tests, the fuzzer and the
// bench; the program never creates one. A JavaScript engine with nothing installed but the
// language's own built-ins (no console, no files, no network, no processes), minus the built-ins
// that allocate unbounded memory in one call. It is given only the texts the gate admits (numbers,
// operators, brackets, Math; see enginegate.h). A watchdog interrupts an evaluation that runs longer
// than the time limit; it then counts as rejected.
//
// An engine belongs to the thread that created it; every thread that evaluates owns its own.
class ExpressionEngine
{
public:
    static constexpr std::chrono::milliseconds kDefaultTimeLimit{200};
    // Longer texts are rejected without being parsed.
    static constexpr qsizetype kMaxExpressionLength = 100000;

    enum class Admission
    {
        Formulas,  // only what the gate admits, with leading-zero literals read as formulas read them
        AnyScript, // any text up to kMaxExpressionLength; for checking the watchdog alone
    };

    explicit ExpressionEngine(std::chrono::milliseconds timeLimit = kDefaultTimeLimit,
                              Admission admission = Admission::Formulas);
    ~ExpressionEngine();
    ExpressionEngine(const ExpressionEngine&) = delete;
    ExpressionEngine& operator=(const ExpressionEngine&) = delete;

    // The value of the expression as the engine writes it; the empty text when the engine rejects
    // the expression, throws, is interrupted or gives no value.
    [[nodiscard]] QString evaluate(const QString& expression);

    // Whether the engine would accept the expression as written, without running it: false for a
    // syntax error and for a text the gate does not admit.
    [[nodiscard]] bool compiles(const QString& expression);

    // True when the last evaluate() was stopped by the watchdog.
    [[nodiscard]] bool lastWasInterrupted() const { return m_lastInterrupted; }

private:
    [[nodiscard]] std::optional<QString> admit(const QString& expression) const;

    struct Watchdog;
    std::unique_ptr<QJSEngine> m_engine;
    std::unique_ptr<Watchdog> m_watchdog;
    std::chrono::milliseconds m_timeLimit;
    Admission m_admission;
    bool m_lastInterrupted = false;
};

} // namespace tandor28
