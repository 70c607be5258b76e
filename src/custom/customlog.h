#pragma once

#include <QLoggingCategory>

// The saved algorithms' file, the formula evaluator and the search.
Q_DECLARE_LOGGING_CATEGORY(lcCustom)
