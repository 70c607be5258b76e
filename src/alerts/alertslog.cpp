#include "alerts/alertslog.h"

Q_LOGGING_CATEGORY(lcAlerts, "tandor28.alerts", QtWarningMsg)
