#pragma once

#include "devicestore.h"
#include "tervixservices.h"

#include <QStringList>

// The main window's services as the focus page uses them: default
// credentials, the "BNC" box, a recorded operation log and the focus
// preview flag.
class FocusServices : public TervixServices
{
public:
    FocusServices() { setTervixServices(this); }
    ~FocusServices() override { setTervixServices(nullptr); }

    const char *defaultUserName() const override { return userName.constData(); }
    const char *defaultPassword() const override { return password.constData(); }
    void Log(const QString &text) override { log << text; }
    void setCameraPreviewRunning(bool) override { }
    bool cameraPreviewRunning() const override { return false; }
    void setFocusPreviewRunning(bool running) override { focusPreview = running; }
    bool focusPreviewRunning() const override { return focusPreview; }
    CDeviceStore *deviceStore() override { return &store; }
    CSearchEngine *searchEngine() override { return nullptr; }
    bool isBNCChecked() const override { return bnc; }

    QByteArray userName = "admin";
    QByteArray password = "60917";
    QStringList log;
    bool focusPreview = false;
    bool bnc = false;
    CDeviceStore store;
};
