#include "app/menu_list.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>

#include "app/fit_in_parent.h"

namespace tidemark {
namespace {

// Every menu ends with this entry, which closes it.
const QString kCancelEntry = QStringLiteral("Cancel");

}  // namespace

MenuList::MenuList(const QString& name, QWidget* parent) : QListWidget(parent) {
    setObjectName(name);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    hide();
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item && (item->flags() & Qt::ItemIsEnabled)) Q_EMIT Chosen(row(item));
    });
    // The entry under the pointer is marked, as in the desktop's own menus.
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    connect(this, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) {
        if (item && (item->flags() & Qt::ItemIsEnabled)) setCurrentItem(item);
    });
}

void MenuList::Fill(const QStringList& entries) {
    clear();
    addItems(entries);
}

void MenuList::SetEntryText(int row, const QString& text) {
    if (QListWidgetItem* it = item(row)) it->setText(text);
}

QString MenuList::EntryText(int row) const {
    const QListWidgetItem* it = item(row);
    return it ? it->text() : QString();
}

bool MenuList::IsAvailable(const QString& entry) const {
    for (int i = 0; i < count(); ++i)
        if (item(i)->text() == entry) return (item(i)->flags() & Qt::ItemIsEnabled) != 0;
    return false;
}

void MenuList::ShowAt(const QPoint& topLeft, int minimumHeight) {
    int rows = count();
    int height = std::max(rows > 0 ? sizeHintForRow(0) * rows + 2 * frameWidth() : 20, minimumHeight);
    int width = sizeHintForColumn(0) + 2 * frameWidth() + 12;
    // Taller than the window: the list scrolls, and its scroll bar must not cover the
    // entries' texts.
    if (parentWidget() && height > parentWidget()->height()) width += verticalScrollBar()->sizeHint().width();
    resize(width, height);
    PlaceAt(topLeft);
    scrollToTop();
    raise();
    show();
    // Escape reaches the list, which has the keyboard while it is open.
    setFocus();
    // A menu opened again starts afresh, whatever was picked in it last time (taking
    // the keyboard makes a list's first entry its current one).
    clearSelection();
    setCurrentIndex(QModelIndex());
}

void MenuList::PlaceAt(const QPoint& topLeft) {
    QSize room = parentWidget() ? parentWidget()->size() : size();
    setGeometry(FitInParent(QRect(topLeft, size()), room));
}

void MenuList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        // The menu's own last entry, not an earlier one of the same text (a printer may
        // be called anything).
        int last = count() - 1;
        if (last >= 0 && item(last)->text() == kCancelEntry && (item(last)->flags() & Qt::ItemIsEnabled))
            Q_EMIT Chosen(last);
        else
            hide();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void MenuList::Choose(const QString& entry) {
    if (!IsAvailable(entry)) return;
    for (int i = 0; i < count(); ++i)
        if (item(i)->text() == entry) {
            Q_EMIT Chosen(i);
            return;
        }
}

}  // namespace tidemark
