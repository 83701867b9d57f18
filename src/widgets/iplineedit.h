#pragma once

#include <QWidget>

#include <array>

class QLineEdit;

// A four-part IPv4 address editor that looks like one line edit. Each part is
// its own field; typing moves between the parts the way an address is typed
// (three digits or '.' advance, Backspace at the start goes back).
class CIpLineEdit : public QWidget
{
    Q_OBJECT
public:
    explicit CIpLineEdit(QWidget *parent = nullptr);

    // The seven field texts joined: "192.168.1.64"; an untouched editor gives "...".
    QString text() const;
    // Fills the parts from a dotted text without moving the focus; missing
    // parts are left empty.
    void setText(const QString &text);

    // The part fields 0..3, for forms and tests.
    QLineEdit *part(int index) const;

public slots:
    void OnTextChanged(const QString &text);
    void OnTextChanged3(const QString &text);
    void OnTextChanged5(const QString &text);
    void OnTextChanged7(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void advanceFrom(int index, const QString &text);
    bool clampTo255(int index, const QString &text);
    void focusPart(int index, bool selectAll);

    std::array<QLineEdit *, 4> m_parts {};
    std::array<QLineEdit *, 3> m_dots {};
    bool m_settingText = false;
};
