#include "search.h"

#include "ui_search.h"

#include "searchadapter.h"
#include "searchengine.h"
#include "tervixservices.h"

#include <QEventLoop>
#include <QIntValidator>
#include <QMessageBox>
#include <QPushButton>

#include <thread>

namespace {

constexpr int ProgressIntervalMs = 1000;

bool allDigits(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

} // namespace

CSearch::CSearch(CSearchEngine *engine, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::CSearchClass>()), m_engine(engine)
{
    ui->setupUi(this);
    ui->StopIPlineEdit->setValidator(new QIntValidator(0, 254, this));
    ui->stopButton->hide();
    ui->progressBar->hide();
    m_timer.setInterval(ProgressIntervalMs);

    connect(ui->pushButton, &QPushButton::clicked, this, &CSearch::searchDev);
    connect(&m_timer, &QTimer::timeout, this, &CSearch::showProgress);
    connect(ui->stopButton, &QPushButton::clicked, this, &CSearch::stopSearchDev);
    connect(
        this, &CSearch::searchCompleteSignal, this, &CSearch::searchComplete, Qt::QueuedConnection);
}

CSearch::~CSearch()
{
    // Nothing of a search may report into a dialog that is gone.
    if (m_searching) {
        m_timer.stop();
        if (CSearchEngine *searchEngine = engine()) {
            searchEngine->Stop();
        }
    }
}

CSearch::InputCheck CSearch::CheckInput(
    const QString &startText, const QString &stopText, quint32 *startAddress, quint32 *endAddress)
{
    // Only digits and dots, exactly three dots, four parts that are not empty.
    if (startText.count(QLatin1Char('.')) != 3) {
        return InputError;
    }
    const QStringList parts = startText.split(QLatin1Char('.'));
    quint32 start = 0;
    for (int i = 0; i < 4; ++i) {
        const QString &part = parts[i];
        // Three digits at most in the editor; more would only hide a large value.
        if (part.isEmpty() || part.size() > 3 || !allDigits(part)) {
            return InputError;
        }
        const int value = part.toInt();
        if (value > 255 || (i == 0 && value == 0)) {
            return InputError;
        }
        start = (start << 8) | quint32(value);
    }
    if (!allDigits(stopText) || stopText.size() > 3) {
        return InputError;
    }
    const int stopOctet = stopText.isEmpty() ? 0 : stopText.toInt();
    if (stopOctet > 255) {
        return InputError;
    }
    const int startOctet = int(start & 0xFF);
    // With no end octet the end would read "a.b.c.", which is no address:
    // for a start ending in 0 that would otherwise pass as a one-address range.
    if (stopText.isEmpty() && startOctet == 0) {
        return InputError;
    }
    if (startOctet > stopOctet) {
        return RangeError;
    }
    if (startAddress != nullptr) {
        *startAddress = start;
    }
    if (endAddress != nullptr) {
        *endAddress = (start & 0xFFFFFF00u) | quint32(stopOctet);
    }
    return InputOk;
}

void CSearch::searchDev()
{
    quint32 start = 0;
    quint32 end = 0;
    const InputCheck check
        = CheckInput(ui->StartIPlineEdit->text(), ui->StopIPlineEdit->text(), &start, &end);
    if (check != InputOk) {
        const QString message = check == RangeError ? tr("IP Range Error!") : tr("IP Input Error!");
        showInformation(tr("Error!"), message);
        log(message);
        return;
    }

    CSearchEngine *searchEngine = engine();
    TervixServices *services = tervixServices();
    const char *userName = services != nullptr ? services->defaultUserName() : nullptr;
    const char *password = services != nullptr ? services->defaultPassword() : nullptr;
    // A search that cannot start would sit at 0 % until stopped by hand.
    if (searchEngine == nullptr
        || !searchEngine->Start(start, end, quint16(ui->PortspinBox->value()), userName, password,
            &SearchEngineCallback, parentWidget())) {
        showInformation(tr("Error!"), tr("Failed to start searching!"));
        log(tr("Failed to start searching!"));
        return;
    }

    ui->progressBar->setValue(0);
    ui->progressBar->show();
    ui->pushButton->hide();
    ui->stopButton->setEnabled(true);
    ui->stopButton->show();
    m_timer.start();
    setInputsEnabled(false);
    ui->listWidget->clear();
    ui->listWidget->addItem(tr("Start Search!"));
    m_searching = true;
    log(tr("Start Search!"));
}

void CSearch::showProgress()
{
    CSearchEngine *searchEngine = engine();
    const int progress = searchEngine != nullptr ? int(searchEngine->Progress()) : 0;
    ui->progressBar->setValue(progress);
    if (progress == 100) {
        stopSearchDev();
    }
}

void CSearch::stopSearchDev()
{
    if (m_stopping) {
        return;
    }
    m_timer.stop();
    stopEngine();
    ui->progressBar->hide();
    ui->progressBar->setValue(0);
    ui->stopButton->hide();
    ui->pushButton->show();
    setInputsEnabled(true);
    emit searchCompleteSignal();
    m_searching = false;
}

void CSearch::stopEngine()
{
    CSearchEngine *searchEngine = engine();
    if (searchEngine == nullptr) {
        return;
    }
    // Stop waits for the probes under way, up to a connect time-out when
    // addresses do not answer. The window keeps painting and listing what
    // they find meanwhile; clicks wait until the search has stopped.
    m_stopping = true;
    ui->stopButton->setEnabled(false);
    QEventLoop loop;
    std::thread stopper([searchEngine, &loop] {
        searchEngine->Stop();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    stopper.join();
    ui->stopButton->setEnabled(true);
    m_stopping = false;
}

void CSearch::searchComplete()
{
    ui->listWidget->addItem(tr("Search Complete!"));
}

void CSearch::AddinfoToList(DEVICEINFO *record)
{
    if (record == nullptr) {
        return;
    }
    const QByteArray ip(
        record->szIPAddress, int(qstrnlen(record->szIPAddress, sizeof record->szIPAddress)));
    ui->listWidget->addItem(tr("Online Devices: ") + QString::fromLatin1(ip));
}

void CSearch::AddUserPasswdError(const QString &ip)
{
    ui->listWidget->addItem(tr("Online Devices: ") + ip + tr("(User Name or Password error)"));
}

void CSearch::reject()
{
    if (m_stopping) {
        return; // closes once the search has stopped
    }
    if (m_searching) {
        if (!confirmTerminate()) {
            return; // the search goes on, the dialog stays
        }
        stopSearchDev();
    }
    QDialog::reject();
}

void CSearch::showEvent(QShowEvent *event)
{
    ui->listWidget->clear();
    if (!m_searching) {
        ui->progressBar->hide();
    }
    QDialog::showEvent(event);
}

void CSearch::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text, QMessageBox::Ok);
}

bool CSearch::confirmTerminate()
{
    QMessageBox box(QMessageBox::Warning, tr("Warning"), tr("Terminate searching?"),
        QMessageBox::NoButton, this);
    QPushButton *ok = box.addButton(tr("Ok"), QMessageBox::AcceptRole);
    box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok;
}

CSearchEngine *CSearch::engine() const
{
    if (m_engine != nullptr) {
        return m_engine;
    }
    TervixServices *services = tervixServices();
    return services != nullptr ? services->searchEngine() : nullptr;
}

void CSearch::log(const QString &text)
{
    if (TervixServices *services = tervixServices()) {
        services->Log(text);
    }
}

void CSearch::setInputsEnabled(bool enabled)
{
    ui->StartIPlineEdit->setEnabled(enabled);
    ui->StopIPlineEdit->setEnabled(enabled);
    ui->PortspinBox->setEnabled(enabled);
}
