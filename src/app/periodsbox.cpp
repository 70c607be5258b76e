#include "app/periodsbox.h"

#include <QLineEdit>

namespace tandor28 {

PeriodsBox::PeriodsBox(QWidget* parent) : QAbstractSpinBox(parent)
{
    setBoxText(QStringLiteral("100"));
    connect(lineEdit(), &QLineEdit::textChanged, this, &PeriodsBox::boxTextChanged);
}

QString PeriodsBox::boxText() const
{
    return lineEdit()->text();
}

void PeriodsBox::setBoxText(const QString& text)
{
    lineEdit()->setText(text);
}

void PeriodsBox::stepBy(int steps)
{
    Q_EMIT spinRequested(steps > 0 ? 1 : -1);
}

QAbstractSpinBox::StepEnabled PeriodsBox::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

} // namespace tandor28
