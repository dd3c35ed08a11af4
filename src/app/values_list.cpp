#include "app/values_list.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

#include "pages/graph_readout.h"
#include "platform/qt_bridge/qt_bridge.h"

namespace tidemark {

ValuesListBox::ValuesListBox(QWidget* parent) : QListWidget(parent) {
    setObjectName("List1");
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    hide();
}

void ValuesListBox::ShowLines(const std::vector<std::string>& lines) {
    clear();
    for (const std::string& line : lines) addItem(ProgramText(line));
    if (count() > 0) {
        setCurrentRow(count() - 1, QItemSelectionModel::ClearAndSelect);
        scrollToBottom();
    }
    raise();
    show();
}

std::vector<std::string> ValuesListBox::SelectedLines() const {
    std::vector<std::string> lines;
    // In list order, whatever order the lines were selected in.
    for (int row = 0; row < count(); ++row)
        if (item(row)->isSelected()) lines.push_back(ToProgramText(item(row)->text()));
    return lines;
}

void ValuesListBox::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Insert && (event->modifiers() & Qt::ControlModifier)) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(ProgramText(ClipboardText(SelectedLines())));
        return;
    }
    QListWidget::keyReleaseEvent(event);
}

void ValuesListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    hide();
    Q_EMIT Closed();
}

}  // namespace tidemark
