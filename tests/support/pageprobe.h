#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

// A batch page (Batch Set, Batch Upgrade) with its message boxes recorded
// instead of shown, and its device table read back as text.
template<typename Page> class PageProbe : public Page
{
public:
    QStringList boxes; // "title|text" of each box, in order

    template<typename T> T *child(const char *name) const
    {
        return this->template findChild<T *>(QLatin1String(name));
    }
    QTableWidget *table() const { return this->template findChild<QTableWidget *>(); }
    QCheckBox *rowBox(int row) const
    {
        return qobject_cast<QCheckBox *>(table()->cellWidget(row, Page::CheckColumn));
    }
    void click(const char *button)
    {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    // Each column's header and width: "Device Name 120".
    QStringList columns() const
    {
        QStringList all;
        for (int column = 0; column < table()->columnCount(); ++column) {
            const QTableWidgetItem *header = table()->horizontalHeaderItem(column);
            all << (header ? header->text() : QString()) + QLatin1Char(' ')
                    + QString::number(table()->columnWidth(column));
        }
        return all;
    }
    // Each shown row: "x " when checked, else "- ", then the texts of
    // `columns` joined by "|".
    QStringList rows(std::initializer_list<int> columns) const
    {
        QStringList shown;
        for (int row = 0; row < table()->rowCount(); ++row) {
            if (table()->isRowHidden(row)) {
                continue;
            }
            QStringList texts;
            for (const int column : columns) {
                texts << table()->item(row, column)->text();
            }
            shown << (rowBox(row)->isChecked() ? "x " : "- ") + texts.join(QLatin1Char('|'));
        }
        return shown;
    }

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
    }
};
