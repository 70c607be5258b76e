#pragma once

#include <QLoggingCategory>

// The streak alarm, the draw notification and the sound clips.
Q_DECLARE_LOGGING_CATEGORY(lcAlerts)
