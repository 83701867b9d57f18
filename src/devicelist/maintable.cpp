#include "maintable.h"

#include <QGridLayout>

CMaintable::CMaintable(QWidget *parent) : QTableView(parent), m_view(new QTableView(this))
{
    setFrameShape(QFrame::NoFrame);
    m_view->setObjectName(QStringLiteral("maintableView"));
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto *layout = new QGridLayout(this);
    layout->setObjectName(QStringLiteral("gridLayout_3"));
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

int CMaintable::CurrentRow() const
{
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CMaintable::SelectRow(int row)
{
    m_view->selectRow(row);
}
