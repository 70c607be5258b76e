#pragma once

#include <QLoggingCategory>

// Start-up, the windows and the driver routines.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
