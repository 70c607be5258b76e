#pragma once

#include <QLoggingCategory>

// The HTTP client, the feeds and the server notice.
Q_DECLARE_LOGGING_CATEGORY(lcFeed)
