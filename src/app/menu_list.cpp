#include "app/menu_list.h"

namespace tidemark {

MenuList::MenuList(const QString& name, QWidget* parent) : QListWidget(parent) {
    setObjectName(name);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    hide();
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item && (item->flags() & Qt::ItemIsEnabled)) Q_EMIT Chosen(row(item));
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

void MenuList::ShowAt(const QPoint& topLeft) {
    int rows = count();
    int height = rows > 0 ? sizeHintForRow(0) * rows + 2 * frameWidth() : 20;
    int width = sizeHintForColumn(0) + 2 * frameWidth() + 12;
    resize(width, height);
    move(topLeft);
    clearSelection();
    raise();
    show();
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
