#include "custom/customlog.h"

Q_LOGGING_CATEGORY(lcCustom, "tandor28.custom", QtWarningMsg)
