#pragma once

#include <QLoggingCategory>

// Where the program's files are and what happened to them at start.
Q_DECLARE_LOGGING_CATEGORY(lcPaths)
