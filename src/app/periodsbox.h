#pragma once

#include <QAbstractSpinBox>

namespace tandor28 {

// The "期数：" box: free text with spin buttons. The buttons do not change a value of their own;
// they report the step and the owner decides what the text becomes.
class PeriodsBox : public QAbstractSpinBox
{
    Q_OBJECT

public:
    explicit PeriodsBox(QWidget* parent = nullptr);

    [[nodiscard]] QString boxText() const;
    void setBoxText(const QString& text);

    void stepBy(int steps) override;

Q_SIGNALS:
    void spinRequested(int step);
    // The text changed, typed or set.
    void boxTextChanged(const QString& text);

protected:
    [[nodiscard]] StepEnabled stepEnabled() const override;
};

} // namespace tandor28
