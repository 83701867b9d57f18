#pragma once

#include <QLoggingCategory>

// tervix.preview: live preview; off unless TERVIX_DEBUG=1 or QT_LOGGING_RULES picks it.
Q_DECLARE_LOGGING_CATEGORY(lcPreview)
