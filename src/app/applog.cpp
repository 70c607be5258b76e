#include "app/applog.h"

Q_LOGGING_CATEGORY(lcApp, "tandor28.app", QtWarningMsg)
