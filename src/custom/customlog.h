#pragma once

#include <QLoggingCategory>

// The saved algorithms' file, the formula engines and the search.
Q_DECLARE_LOGGING_CATEGORY(lcCustom)
