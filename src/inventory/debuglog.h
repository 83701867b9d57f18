#pragma once

#include <QLoggingCategory>

// Debug lines are for developers and never reach the user: every area has a
// category whose debug lines are off unless TERVIX_DEBUG=1, and
// QT_LOGGING_RULES (e.g. "tervix.search.debug=true") picks areas one by one.
Q_DECLARE_LOGGING_CATEGORY(lcApp)        // tervix.app: the main window
Q_DECLARE_LOGGING_CATEGORY(lcDevices)    // tervix.devices: store and device tables
Q_DECLARE_LOGGING_CATEGORY(lcDiscovery)  // tervix.discovery: the discovery library
Q_DECLARE_LOGGING_CATEGORY(lcSearch)     // tervix.search: the IP-range search
Q_DECLARE_LOGGING_CATEGORY(lcNetwork)    // tervix.network: re-addressing
Q_DECLARE_LOGGING_CATEGORY(lcCalculator) // tervix.calculator: lens selection
Q_DECLARE_LOGGING_CATEGORY(lcConfig)     // tervix.config: configuration pages and templets
Q_DECLARE_LOGGING_CATEGORY(lcUpgrade)    // tervix.upgrade: batch firmware upgrade
Q_DECLARE_LOGGING_CATEGORY(lcBatch)      // tervix.batch: applying a templet to many devices
Q_DECLARE_LOGGING_CATEGORY(lcFocus)      // tervix.focus: the focus assistant
