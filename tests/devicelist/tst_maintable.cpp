#include "maintable.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTest>

namespace {

QStandardItemModel *model(QObject *parent)
{
    auto *m = new QStandardItemModel(0, 4, parent);
    const QList<QList<QString>> rows
        = { { "", "b", "2", "x" }, { "", "c", "1", "z" }, { "", "a", "3", "y" } };
    for (const QList<QString> &texts : rows) {
        QList<QStandardItem *> items;
        for (const QString &text : texts) {
            items << new QStandardItem(text);
        }
        m->appendRow(items);
    }
    return m;
}

QStringList column(const QAbstractItemModel *m, int c)
{
    QStringList texts;
    for (int row = 0; row < m->rowCount(); ++row) {
        texts << m->index(row, c).data().toString();
    }
    return texts;
}

} // namespace

class TestMaintable : public QObject
{
    Q_OBJECT

private slots:
    void sortingSharesOneOrderFlagAndSkipsTheCheckColumn();
    void currentRowIsMinusOneWithoutCurrentIndex();
};

void TestMaintable::sortingSharesOneOrderFlagAndSkipsTheCheckColumn()
{
    CMaintable table;
    QStandardItemModel *m = model(&table);
    table.tableView()->setModel(m);
    // The check column neither sorts nor flips the order.
    table.HeaderSectionClicked(0);
    QCOMPARE(column(m, 1), (QStringList { "b", "c", "a" }));
    QVERIFY(table.NextSortAscending());
    table.HeaderSectionClicked(2);
    QCOMPARE(column(m, 2), (QStringList { "1", "2", "3" }));
    // The next click, on another column, sorts the other way.
    table.HeaderSectionClicked(3);
    QCOMPARE(column(m, 3), (QStringList { "z", "y", "x" }));
    table.HeaderSectionClicked(1);
    QCOMPARE(column(m, 1), (QStringList { "a", "b", "c" }));
}
void TestMaintable::currentRowIsMinusOneWithoutCurrentIndex()
{
    CMaintable table;
    QStandardItemModel *m = model(&table);
    table.tableView()->setModel(m);
    QCOMPARE(table.CurrentRow(), -1);
    table.tableView()->setCurrentIndex(m->index(1, 1));
    QCOMPARE(table.CurrentRow(), 1);
    m->clear();
    QCOMPARE(table.CurrentRow(), -1);
}

QTEST_MAIN(TestMaintable)
#include "tst_maintable.moc"
