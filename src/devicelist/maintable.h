#pragma once

#include <QTableView>

// Temporary device table: shows the shared device list in an inner view.
// The device-table work replaces its inside (sorting, look, selection rules).
class CMaintable : public QTableView
{
    Q_OBJECT

public:
    explicit CMaintable(QWidget *parent = nullptr);

    // The inner view that shows the model and receives the clicks.
    QTableView *tableView() const { return m_view; }
    // Row of the inner view's current index, or -1.
    int CurrentRow() const;
    void SelectRow(int row);

private:
    QTableView *m_view;
};
