#pragma once

#include "deviceinfo.h"
#include "fixedtext.h"

#include <QByteArray>
#include <QString>

#include <functional>

class CDeviceStore;

// A user name and password for one login.
struct DeviceCredentials
{
    QByteArray userName;
    QByteArray password;
};

// What a core needs to work on listed devices, handed to it through its
// constructor: the device store, the default credentials as they stood when
// the work began (so typing in the main window during a run never changes
// them under a worker), and where its log lines go. A plain value: a worker
// keeps its own copy.
struct DeviceContext
{
    CDeviceStore *store = nullptr;
    // For devices that announced themselves.
    DeviceCredentials defaults;
    // Operation log lines, called on the thread that called the core; empty
    // for no log.
    std::function<void(const QString &)> log;

    // A device the IP-range search found (dwSource 1) is reached with the
    // credentials it was found with, an announced one with the defaults.
    DeviceCredentials credentialsFor(const DEVICEINFO &record) const
    {
        if (record.dwSource != 1) {
            return defaults;
        }
        return { FixedText::read(record.szUserName), FixedText::read(record.szPassword) };
    }

    void Log(const QString &text) const
    {
        if (log) {
            log(text);
        }
    }
};
