#pragma once
// The values list of a graph: one line per point of a graph's main series,
// shown beside the graph. Ctrl+Insert copies the selected lines; a double click closes it.
#include <QListWidget>
#include <string>
#include <vector>

namespace tidemark {

class ValuesListBox : public QListWidget {
    Q_OBJECT
public:
    explicit ValuesListBox(QWidget* parent);

    // Fills the list, selects the last line and shows it in front.
    void ShowLines(const std::vector<std::string>& lines);
    std::vector<std::string> SelectedLines() const;
    // The width in pixels that shows every one of `lines` whole in the list's own font,
    // beside a vertical scroll bar.
    int WidthShowing(const std::vector<std::string>& lines) const;

Q_SIGNALS:
    // Double click: the list closed itself.
    void Closed();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace tidemark
