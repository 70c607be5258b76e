#include "paths/pathslog.h"

Q_LOGGING_CATEGORY(lcPaths, "tandor28.paths", QtWarningMsg)
