#pragma once

#include "deviceinfo.h"

#include <QDialog>
#include <QThread>
#include <QTimer>

#include <memory>

namespace Ui {
class CSearchClass;
}

class CSearchEngine;
class SearchAdapter;

// The "Manual Search" dialog: takes the first address of a range, the last
// octet of its end and a port, runs the IP-range search with the main
// window's default credentials, shows its progress once a second and lists
// every device found and every address that refused the credentials.
class CSearch : public QDialog
{
    Q_OBJECT
public:
    enum InputCheck { InputOk, InputError, RangeError };

    // engine: the main window's search engine; not owned. Null: the one of
    // tervixServices() at the time of each search. adapter: carries the
    // search's reports to the main window; not owned; null drops them.
    explicit CSearch(
        CSearchEngine *engine, SearchAdapter *adapter = nullptr, QWidget *parent = nullptr);
    ~CSearch() override;

    // Checks the two input texts and, when they are good, gives the range as
    // host-order addresses. The end lies in the start's /24 block.
    static InputCheck CheckInput(const QString &startText, const QString &stopText,
        quint32 *startAddress, quint32 *endAddress);

    // A search runs, or is still stopping.
    bool isSearching() const { return m_state != Idle; }
    bool isStopping() const { return m_state == Stopping; }

signals:
    void searchCompleteSignal();

public slots:
    void searchDev();
    void showProgress();
    void stopSearchDev();
    void searchComplete();
    // A device the search found (the main window calls it for every
    // found-device report).
    void AddinfoToList(DEVICEINFO *record);
    // An address that refused the user name or password.
    void AddUserPasswdError(const QString &ip);
    // Asks before a running search is abandoned; Escape and the close button
    // come here too.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

    // A modal box with one OK button; tests record it instead.
    virtual void showInformation(const QString &title, const QString &text);
    // The "Terminate searching?" question; true for "Ok".
    virtual bool confirmTerminate();

private:
    enum State { Idle, Searching, Stopping };

    CSearchEngine *engine() const;
    void log(const QString &text);
    void addLine(const QString &text);
    void setInputsEnabled(bool enabled);
    // The engine has stopped: back to the idle face, and closed when a close
    // was asked for meanwhile.
    void stopFinished();

    std::unique_ptr<Ui::CSearchClass> ui;
    CSearchEngine *m_engine;
    SearchAdapter *m_adapter;
    QTimer m_timer;
    State m_state = Idle;
    // Stops the engine off the user-interface thread: Stop waits for the
    // probes under way, up to a connect time-out each.
    std::unique_ptr<QThread> m_stopper;
    bool m_closeWhenStopped = false;
    QString m_stopText;
};
