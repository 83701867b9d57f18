#pragma once

#include <QThread>

#include <atomic>

// The worker that brings the capture cards up or releases them while the
// main window waits in its modal dialog. The card library's worker derives
// from it; the default one below serves a PC without card support.
class CardWorker : public QThread
{
    Q_OBJECT

public:
    using QThread::QThread;

    // Chooses the work of the next run: true brings the cards up.
    void SetMode(bool initialise) { m_initialise = initialise; }
    // The mode and the result of the last run.
    void Result(bool *initialise, bool *succeeded) const;

signals:
    // Emitted once at the end of every run.
    void CardInitOrDeInit(bool bInit, bool bSucc);

protected:
    bool initialising() const { return m_initialise; }
    // Records the result and emits CardInitOrDeInit.
    void finishRun(bool succeeded);

private:
    std::atomic<bool> m_initialise { false };
    std::atomic<bool> m_succeeded { false };
};

// Without a card library: bringing cards up fails, releasing succeeds.
class NoCardWorker final : public CardWorker
{
    Q_OBJECT

public:
    using CardWorker::CardWorker;

protected:
    void run() override;
};
