#pragma once

#include "networksetters.h"

#include <QList>
#include <QString>
#include <QThread>

// One device of a batch run: its slot in the store, its row in the device
// list and the address it is to get.
struct BatchMendItem
{
    int iDevIndex = -1;
    int iRow = -1;
    QString ip;
};

// Applies one batch of network changes device after device on its own
// thread and reports every result through queued signals. A failed device
// is reported and the next one taken; the run never stops early.
class BatchMendThread : public QThread
{
    Q_OBJECT

public:
    explicit BatchMendThread(QObject *parent = nullptr);
    ~BatchMendThread() override;

    // Called before start(), on the user-interface thread. The worker keeps
    // its own copy of the context, so typing in the main window during the
    // run never changes the credentials under it.
    void SetParameters(const DeviceContext &context, const QList<BatchMendItem> &items,
        quint16 port, const QString &mask, const QString &gateway);

signals:
    void FinishSetIpAddress(
        int iDevIndex, int iRow, QString ip, unsigned short nPort, QString mask, bool result);
    void FinishSetGateway(int iDevIndex, int iRow, QString gateway, bool result);
    void FinishDeviceCount(int iCount);

protected:
    void run() override;

private:
    DeviceContext m_context;
    QList<BatchMendItem> m_items;
    quint16 m_port = 0;
    QString m_mask;
    QString m_gateway;
};
