#pragma once

#include "deviceinfo.h"

#include <QDialog>
#include <QTimer>

#include <memory>

namespace Ui {
class CSearchClass;
}

class CSearchEngine;

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
    // tervixServices() at the time of each search.
    explicit CSearch(CSearchEngine *engine, QWidget *parent = nullptr);
    ~CSearch() override;

    // Checks the two input texts and, when they are good, gives the range as
    // host-order addresses. The end lies in the start's /24 block.
    static InputCheck CheckInput(const QString &startText, const QString &stopText,
        quint32 *startAddress, quint32 *endAddress);

    bool isSearching() const { return m_searching; }

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
    CSearchEngine *engine() const;
    void log(const QString &text);
    void setInputsEnabled(bool enabled);
    void stopEngine();

    std::unique_ptr<Ui::CSearchClass> ui;
    CSearchEngine *m_engine;
    QTimer m_timer;
    bool m_searching = false;
    bool m_stopping = false; // inside stopEngine()
};
