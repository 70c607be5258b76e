#include "feed/feedlog.h"

Q_LOGGING_CATEGORY(lcFeed, "tandor28.feed", QtWarningMsg)
