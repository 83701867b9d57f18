#include "iplineedit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionFrame>

CIpLineEdit::CIpLineEdit(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Dialog"));

    auto *grid = new QGridLayout(this);
    grid->setSpacing(0);
    grid->setContentsMargins(1, 1, 1, 1);
    auto *row = new QHBoxLayout;
    row->setSpacing(0);
    grid->addLayout(row, 0, 0);

    // Values up to 999 are let through so that a typed 300 can be seen and
    // turned into 255, rather than the key being swallowed.
    auto *validator = new QIntValidator(0, 999, this);

    for (int i = 0; i < 4; ++i) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("IpPart%1").arg(i + 1));
        edit->setFrame(false);
        edit->setMaxLength(3);
        edit->setValidator(validator);
        edit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        edit->installEventFilter(this);
        if (i > 0) {
            // Tab enters the editor at the first part only; the editor moves
            // the focus between the parts itself.
            edit->setFocusPolicy(Qt::ClickFocus);
        }
        m_parts[i] = edit;
        row->addWidget(edit);
        if (i < 3) {
            auto *dot = new QLineEdit(QStringLiteral("."), this);
            dot->setObjectName(QStringLiteral("IpDot%1").arg(i + 1));
            dot->setFrame(false);
            dot->setReadOnly(true);
            dot->setMaxLength(1);
            dot->setMaximumWidth(10);
            dot->setAlignment(Qt::AlignBottom | Qt::AlignHCenter);
            dot->setFocusPolicy(Qt::ClickFocus);
            m_dots[i] = dot;
            row->addWidget(dot);
        }
    }
    setFocusProxy(m_parts[0]);

    connect(m_parts[0], &QLineEdit::textChanged, this, &CIpLineEdit::OnTextChanged);
    connect(m_parts[1], &QLineEdit::textChanged, this, &CIpLineEdit::OnTextChanged3);
    connect(m_parts[2], &QLineEdit::textChanged, this, &CIpLineEdit::OnTextChanged5);
    connect(m_parts[3], &QLineEdit::textChanged, this, &CIpLineEdit::OnTextChanged7);
}

QString CIpLineEdit::text() const
{
    QString joined;
    for (int i = 0; i < 4; ++i) {
        joined += m_parts[i]->text();
        if (i < 3) {
            joined += m_dots[i]->text();
        }
    }
    return joined;
}

void CIpLineEdit::setText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    m_settingText = true;
    for (int i = 0; i < 4; ++i) {
        m_parts[i]->setText(i < parts.size() ? parts[i].left(3) : QString());
    }
    m_settingText = false;
}

QLineEdit *CIpLineEdit::part(int index) const
{
    return index >= 0 && index < 4 ? m_parts[index] : nullptr;
}

void CIpLineEdit::OnTextChanged(const QString &text)
{
    advanceFrom(0, text);
}

void CIpLineEdit::OnTextChanged3(const QString &text)
{
    advanceFrom(1, text);
}

void CIpLineEdit::OnTextChanged5(const QString &text)
{
    advanceFrom(2, text);
}

void CIpLineEdit::OnTextChanged7(const QString &text)
{
    clampTo255(3, text);
}

bool CIpLineEdit::clampTo255(int index, const QString &text)
{
    if (text.size() >= 3 && text.toInt() > 255) {
        // Emits textChanged again, which carries on with the clamped value.
        m_parts[index]->setText(QStringLiteral("255"));
        return true;
    }
    return false;
}

void CIpLineEdit::advanceFrom(int index, const QString &text)
{
    if (text.size() < 3 || clampTo255(index, text) || m_settingText) {
        return;
    }
    focusPart(index + 1, true);
}

void CIpLineEdit::focusPart(int index, bool selectAll)
{
    QLineEdit *edit = m_parts[index];
    edit->setFocus(Qt::OtherFocusReason);
    if (selectAll) {
        edit->selectAll();
    }
}

bool CIpLineEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    int index = -1;
    for (int i = 0; i < 4; ++i) {
        if (watched == m_parts[i]) {
            index = i;
        }
    }
    if (index < 0) {
        return QWidget::eventFilter(watched, event);
    }

    QLineEdit *edit = m_parts[index];
    const int key = static_cast<QKeyEvent *>(event)->key();
    const bool atStart = edit->cursorPosition() == 0;
    const bool atEnd = edit->cursorPosition() == edit->text().size();
    const bool hasNext = index < 3;
    const bool hasPrevious = index > 0;

    switch (key) {
    case Qt::Key_Space:
        if (hasNext) {
            focusPart(index + 1, false);
        }
        break;
    case Qt::Key_Backspace:
        // With a selection the key deletes it; it is not a step back.
        if (hasPrevious && atStart && !edit->hasSelectedText()) {
            focusPart(index - 1, false);
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        if (hasPrevious && atStart) {
            focusPart(index - 1, false);
        }
        break;
    case Qt::Key_Period:
        if (hasNext && atEnd && !edit->text().isEmpty()) {
            focusPart(index + 1, true);
        }
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        if (hasNext && atEnd) {
            focusPart(index + 1, false);
        }
        break;
    case Qt::Key_Home:
        focusPart(0, false);
        m_parts[0]->setCursorPosition(0);
        break;
    case Qt::Key_End:
        focusPart(3, false);
        m_parts[3]->setCursorPosition(3);
        break;
    default:
        break;
    }
    // The field still gets every key; the validator keeps '.' and Space out.
    return false;
}

void CIpLineEdit::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    // One line-edit panel behind the seven frameless fields, so the whole
    // reads as a single line edit.
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.rect = rect();
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}
