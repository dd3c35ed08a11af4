#include "app/values_list.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "pages/graph_readout.h"
#include "storage/qt_bridge/qt_bridge.h"

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

int ValuesListBox::WidthShowing(const std::vector<std::string>& lines) const {
    int longest = 0;
    for (const std::string& line : lines)
        longest = std::max(longest, fontMetrics().horizontalAdvance(ProgramText(line)));
    // Items keep a margin on both sides of their text; the scroll bar is counted whether
    // or not the lines need it, as it comes and goes with the list's height.
    int itemMargins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    return longest + itemMargins + 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
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
