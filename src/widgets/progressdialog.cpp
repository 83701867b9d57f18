#include "progressdialog.h"

#include "ui_progressdialog.h"

ProgressDialog::ProgressDialog(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ProgressDialogClass>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setModal(true);
}

ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::setText(const QString &text)
{
    m_ui->label->setText(text);
}

void ProgressDialog::setRange(int minimum, int maximum)
{
    m_ui->progressBar->setRange(minimum, maximum);
}

void ProgressDialog::setValue(int value)
{
    m_ui->progressBar->setValue(value);
}

void ProgressDialog::setBarHidden(bool hidden)
{
    m_ui->progressBar->setHidden(hidden);
}

QString ProgressDialog::text() const
{
    return m_ui->label->text();
}

int ProgressDialog::value() const
{
    return m_ui->progressBar->value();
}

bool ProgressDialog::isBarHidden() const
{
    return m_ui->progressBar->isHidden();
}

void ProgressDialog::done(int result)
{
    // QDialog::done() may route through close(); let that one through.
    m_closing = true;
    QDialog::done(result);
    m_closing = false;
}

void ProgressDialog::reject()
{
    if (m_closing) {
        QDialog::reject();
    }
}
