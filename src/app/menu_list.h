#pragma once
// A pop-up menu shown as a list box over the page: the graph menu, the colours and fonts
// menu, the web-screen menu and the output chooser.
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

    // Shows the list with its top-left corner at `topLeft` (parent pixels), in front.
    void ShowAt(const QPoint& topLeft);
    // Runs the first entry reading `entry` as if the user had clicked it (only when it
    // is available).
    void Choose(const QString& entry);

Q_SIGNALS:
    // The row clicked: its command is the one the menu's table gives that row, whatever
    // the row reads.
    void Chosen(int row);
};

}  // namespace tidemark
