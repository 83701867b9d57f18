#include "search.h"

#include "ui_search.h"

#include "fixedtext.h"
#include "ipv4text.h"
#include "searchadapter.h"
#include "searchengine.h"
#include "tervixservices.h"

#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>

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

CSearch::CSearch(CSearchEngine *engine, SearchAdapter *adapter, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::CSearchClass>()), m_engine(engine),
      m_adapter(adapter)
{
    ui->setupUi(this);
    // 0 to 254 exactly: an integer validator would let 255 and 300 be typed
    // as "intermediate" input.
    ui->StopIPlineEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("25[0-4]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9]")), this));
    m_stopText = ui->stopButton->text();
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
    m_timer.stop();
    if (m_stopper) {
        m_stopper->wait();
    } else if (m_state == Searching) {
        if (CSearchEngine *searchEngine = engine()) {
            searchEngine->Stop();
        }
    }
}

CSearch::InputCheck CSearch::CheckInput(
    const QString &startText, const QString &stopText, quint32 *startAddress, quint32 *endAddress)
{
    const std::optional<quint32> startValue = Ipv4Text::parse(startText, Ipv4Text::SearchStart);
    if (!startValue) {
        return InputError;
    }
    const quint32 start = *startValue;
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
            &SearchEngineCallback, m_adapter)) {
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
    addLine(tr("Start Search!"));
    m_state = Searching;
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
    if (m_state != Searching) {
        return;
    }
    m_timer.stop();
    CSearchEngine *searchEngine = engine();
    if (searchEngine == nullptr) {
        stopFinished();
        return;
    }
    // The window keeps painting and listing what the probes under way find;
    // the Stop button says that the search is stopping.
    m_state = Stopping;
    ui->stopButton->setEnabled(false);
    ui->stopButton->setText(tr("Stopping..."));
    m_stopper.reset(QThread::create([searchEngine] { searchEngine->Stop(); }));
    connect(m_stopper.get(), &QThread::finished, this, &CSearch::stopFinished,
        Qt::QueuedConnection);
    m_stopper->start();
}

void CSearch::stopFinished()
{
    if (m_stopper) {
        m_stopper->wait();
        m_stopper.reset();
    }
    ui->progressBar->hide();
    ui->progressBar->setValue(0);
    ui->stopButton->hide();
    ui->stopButton->setText(m_stopText);
    ui->stopButton->setEnabled(true);
    ui->pushButton->show();
    setInputsEnabled(true);
    m_state = Idle;
    emit searchCompleteSignal();
    if (m_closeWhenStopped) {
        m_closeWhenStopped = false;
        QDialog::reject();
    }
}

void CSearch::searchComplete()
{
    addLine(tr("Search Complete!"));
}

void CSearch::AddinfoToList(DEVICEINFO *record)
{
    if (record == nullptr) {
        return;
    }
    addLine(tr("Online Devices: ") + QString::fromLatin1(FixedText::read(record->szIPAddress)));
}

void CSearch::AddUserPasswdError(const QString &ip)
{
    addLine(tr("Online Devices: ") + ip + tr("(User Name or Password error)"));
}

void CSearch::reject()
{
    if (m_state == Stopping) {
        m_closeWhenStopped = true;
        return;
    }
    if (m_state == Searching) {
        if (!confirmTerminate()) {
            return; // the search goes on, the dialog stays
        }
        m_closeWhenStopped = true;
        stopSearchDev();
        return; // closes once the search has stopped
    }
    QDialog::reject();
}

void CSearch::showEvent(QShowEvent *event)
{
    ui->listWidget->clear();
    if (m_state == Idle) {
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

void CSearch::addLine(const QString &text)
{
    ui->listWidget->addItem(text);
    ui->listWidget->scrollToBottom();
}

void CSearch::setInputsEnabled(bool enabled)
{
    ui->StartIPlineEdit->setEnabled(enabled);
    ui->StopIPlineEdit->setEnabled(enabled);
    ui->PortspinBox->setEnabled(enabled);
}
