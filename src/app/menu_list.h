#pragma once
// A pop-up menu shown as a list box over the page: the graph menu, the colours and fonts
// menu, the web-screen menu and the output chooser. It always lies inside the window,
// scrolling when the window is too low for all its entries, and Escape closes it as its
// "Cancel" entry would.
#include <QListWidget>

namespace tidemark {

class MenuList : public QListWidget {
    Q_OBJECT
public:
    MenuList(const QString& name, QWidget* parent);

    // Clears the list and fills it.
    void Fill(const QStringList& entries);
    // The text of entry `row` (changes "Enlarge" to "Shrink" and back).
    void SetEntryText(int row, const QString& text);
    QString EntryText(int row) const;
    bool IsAvailable(const QString& entry) const;

    // Shows the list, sized to its entries and at least `minimumHeight` pixels high, with
    // its top-left corner at `topLeft` (parent pixels), in front and with no entry
    // highlighted.
    void ShowAt(const QPoint& topLeft, int minimumHeight = 0);
    // Moves the shown list's top-left corner to `topLeft`, or up and left as far as it
    // must go to lie inside the parent.
    void PlaceAt(const QPoint& topLeft);
    // Runs the first entry reading `entry` as if the user had clicked it (only when it
    // is available).
    void Choose(const QString& entry);

protected:
    void keyPressEvent(QKeyEvent* event) override;

Q_SIGNALS:
    // The row clicked: its command is the one the menu's table gives that row, whatever
    // the row reads.
    void Chosen(int row);
};

}  // namespace tidemark
