#pragma once

#include "devicestore.h"
#include "tervixservices.h"

#include <QStringList>

// The main window's services for tests: its own store, the default
// credentials of a fresh window and a recorded operation log.
class FakeServices : public TervixServices
{
public:
    FakeServices() { setTervixServices(this); }
    ~FakeServices() override { setTervixServices(nullptr); }

    const char *defaultUserName() const override { return userName.constData(); }
    const char *defaultPassword() const override { return password.constData(); }
    void Log(const QString &text) override { log << text; }
    void setCameraPreviewRunning(bool) override { }
    bool cameraPreviewRunning() const override { return false; }
    void setFocusPreviewRunning(bool) override { }
    bool focusPreviewRunning() const override { return false; }
    CDeviceStore *deviceStore() override { return &store; }
    CSearchEngine *searchEngine() override { return nullptr; }

    QByteArray userName = "admin";
    QByteArray password = "60917";
    QStringList log;
    CDeviceStore store;
};
