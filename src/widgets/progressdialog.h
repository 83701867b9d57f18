#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class ProgressDialogClass;
}

// The borderless modal "please wait" box shown while long work runs on a
// worker thread. Callers show it with exec() and close it with done(); the
// user cannot dismiss it (Escape, a click outside the popup), because the
// caller's work would go on behind a window that no longer waits for it.
class ProgressDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget *parent = nullptr);
    ~ProgressDialog() override;

    void setText(const QString &text);
    void setRange(int minimum, int maximum);
    void setValue(int value);
    void setBarHidden(bool hidden);

    QString text() const;
    int value() const;
    bool isBarHidden() const;

    void done(int result) override;

public slots:
    // Ignored: only the owner of the work closes the box, with done().
    void reject() override;

private:
    std::unique_ptr<Ui::ProgressDialogClass> m_ui;
    bool m_closing = false;
};
