#pragma once

#include <QTableView>

class QHeaderView;

// The device table: an inner view that shows the shared device list, sorts
// by a clicked column and tells which row is current. The outer widget only
// holds the inner view, which is the one that shows the model and receives
// the clicks.
class CMaintable : public QTableView
{
    Q_OBJECT

public:
    explicit CMaintable(QWidget *parent = nullptr);

    // The inner view (maintableView).
    QTableView *tableView() const { return m_view; }
    // Row of the inner view's current index, or -1.
    int CurrentRow() const;
    void SelectRow(int row);
    // Order the next header click sorts in; one flag for all columns.
    bool NextSortAscending() const { return m_sortAscending; }

public slots:
    void HeaderSectionClicked(int logicalIndex);

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslateUi();

    QTableView *m_view;
    QHeaderView *m_header;
    bool m_sortAscending = true;
};
