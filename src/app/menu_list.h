#pragma once
// A pop-up menu shown as a list box over the page: the graph menu, the colours and fonts
// menu, the web-screen menu and the output chooser. An entry whose command the program
// does not offer yet is shown greyed out and cannot be chosen.
#include <QListWidget>

namespace tidemark {

class MenuList : public QListWidget {
    Q_OBJECT
public:
    MenuList(const QString& name, QWidget* parent);

    // Clears the list and fills it; entries not in `available` are greyed out.
    void Fill(const QStringList& entries, const QStringList& available);
    // The text of entry `row` (changes "Enlarge" to "Shrink" and back).
    void SetEntryText(int row, const QString& text);
    QString EntryText(int row) const;
    bool IsAvailable(const QString& entry) const;

    // Shows the list with its top-left corner at `topLeft` (parent pixels), in front.
    void ShowAt(const QPoint& topLeft);
    // Runs the entry as if the user had clicked it (only when it is available).
    void Choose(const QString& entry);

Q_SIGNALS:
    void Chosen(const QString& entry);
};

}  // namespace tidemark
