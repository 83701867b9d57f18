#include "maintable.h"

#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>

CMaintable::CMaintable(QWidget *parent) : QTableView(parent), m_view(new QTableView(this))
{
    setObjectName(QStringLiteral("CMaintableClass"));
    setFrameShape(QFrame::NoFrame);
    auto *layout = new QGridLayout(this);
    layout->setObjectName(QStringLiteral("gridLayout_3"));
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view->setObjectName(QStringLiteral("maintableView"));
    layout->addWidget(m_view, 0, 0);

    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setAlternatingRowColors(true);
    QPalette palette = m_view->palette();
    const QColor alternate(247, 255, 155);
    for (const auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        palette.setColor(group, QPalette::AlternateBase, alternate);
    }
    m_view->setPalette(palette);
    m_view->setGridStyle(Qt::DotLine);
    m_view->setFocusPolicy(Qt::StrongFocus);
    m_view->setTabKeyNavigation(true);
    m_view->setFrameShape(QFrame::Box);
    m_view->setFrameShadow(QFrame::Sunken);
    m_view->setDragEnabled(false);
    m_view->setAcceptDrops(false);
    m_view->setDragDropMode(QAbstractItemView::NoDragDrop);
    // Sorting happens only in HeaderSectionClicked.
    m_view->setSortingEnabled(false);
    m_view->verticalHeader()->setVisible(true);
    m_view->verticalHeader()->setDefaultSectionSize(25);

    m_header = m_view->horizontalHeader();
    m_header->setStretchLastSection(false);
    m_header->setSectionsClickable(true);
    m_header->setSectionsMovable(true);
    m_header->setSortIndicatorShown(true);
    connect(m_header, &QHeaderView::sectionClicked, this, &CMaintable::HeaderSectionClicked);
    retranslateUi();
}

void CMaintable::HeaderSectionClicked(int logicalIndex)
{
    // Column 0 holds the check boxes.
    if (logicalIndex == 0) {
        return;
    }
    m_view->sortByColumn(logicalIndex, m_sortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
    m_sortAscending = !m_sortAscending;
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

void CMaintable::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi();
    }
    QTableView::changeEvent(event);
}

void CMaintable::retranslateUi()
{
    setWindowTitle(tr("CMaintable"));
}
