#include "batchmendthread.h"

#include "debuglog.h"

BatchMendThread::BatchMendThread(QObject *parent) : QThread(parent)
{ }

BatchMendThread::~BatchMendThread()
{
    wait();
}

void BatchMendThread::SetParameters(const DeviceContext &context,
    const QList<BatchMendItem> &items, quint16 port, const QString &mask, const QString &gateway)
{
    m_context = context;
    m_items = items;
    m_port = port;
    m_mask = mask;
    m_gateway = gateway;
}

void BatchMendThread::run()
{
    const QByteArray mask = m_mask.toLatin1();
    const QByteArray gateway = m_gateway.toLatin1();
    int count = 0;
    for (const BatchMendItem &item : std::as_const(m_items)) {
        const QByteArray ip = item.ip.toLatin1();
        const bool done
            = SetDeviceIpPortMask(m_context, item.iDevIndex, ip, m_port, mask);
        emit FinishSetIpAddress(item.iDevIndex, item.iRow, item.ip, m_port, m_mask, done);
        qCDebug(lcNetwork,
            "Set device ip[%s] port[%d] mask[%s]", ip.constData(), int(m_port), mask.constData());
        if (!m_gateway.isEmpty()) {
            const bool gatewayDone = SetDeviceGateway(m_context, item.iDevIndex, gateway);
            emit FinishSetGateway(item.iDevIndex, item.iRow, m_gateway, gatewayDone);
        }
        emit FinishDeviceCount(++count);
    }
}
