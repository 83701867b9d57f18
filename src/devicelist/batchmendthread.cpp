#include "batchmendthread.h"

#include "mirt.h"

BatchMendThread::BatchMendThread(QObject *parent) : QThread(parent)
{ }

BatchMendThread::~BatchMendThread()
{
    wait();
}

void BatchMendThread::SetParameters(CDeviceStore *store, const QList<BatchMendItem> &items,
    quint16 port, const QString &mask, const QString &gateway)
{
    SetParameters(store, items, port, mask, gateway, DefaultCredentials());
}

void BatchMendThread::SetParameters(CDeviceStore *store, const QList<BatchMendItem> &items,
    quint16 port, const QString &mask, const QString &gateway, const DeviceCredentials &defaults)
{
    m_store = store;
    m_items = items;
    m_port = port;
    m_mask = mask;
    m_gateway = gateway;
    m_defaults = defaults;
}

void BatchMendThread::run()
{
    const QByteArray mask = m_mask.toLatin1();
    const QByteArray gateway = m_gateway.toLatin1();
    int count = 0;
    for (const BatchMendItem &item : std::as_const(m_items)) {
        const QByteArray ip = item.ip.toLatin1();
        const bool done
            = SetDeviceIpPortMask(m_store, item.iDevIndex, ip, m_port, mask, m_defaults);
        emit FinishSetIpAddress(item.iDevIndex, item.iRow, item.ip, m_port, m_mask, done);
        MIRT_OutputDebug(
            "Set device ip[%s] port[%d] mask[%s]\n", ip.constData(), int(m_port), mask.constData());
        if (!m_gateway.isEmpty()) {
            const bool gatewayDone = SetDeviceGateway(m_store, item.iDevIndex, gateway, m_defaults);
            emit FinishSetGateway(item.iDevIndex, item.iRow, m_gateway, gatewayDone);
        }
        emit FinishDeviceCount(++count);
    }
}
