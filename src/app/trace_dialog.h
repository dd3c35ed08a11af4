#pragma once
// "Add Traces from M tables": the model runs of one graph's series, newest first; Add
// lays the chosen run over the graph, "Clear Last" takes the last trace off. The dialog
// keeps a read-only connection of its own while it is open.
#include <QDialog>
#include <memory>

#include "core/host.h"
#include "data/model_runs.h"

class QCheckBox;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace tidemark {

class TraceDialog : public QDialog {
    Q_OBJECT
public:
    TraceDialog(ProgramState& state, Host& host, QWidget* parent);
    ~TraceDialog() override;

    // Lists the runs of graph `slot` on the current page and shows the dialog modally.
    void Run(int slot);

    QTableView* Grid() const { return grid_; }
    QCheckBox* IncludeHistory() const { return history_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* ClearLastButton() const { return clearLast_; }
    QPushButton* ExitButton() const { return exit_; }

Q_SIGNALS:
    // A trace was added or taken off: the page is drawn again.
    void TracesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void done(int result) override;

private:
    bool ListRuns();
    void FitColumns();
    void AddChosenRun();
    void ClearLast();
    void ShowFault(const std::string& message);

    ProgramState& state_;
    Host& host_;
    int page_ = 0, slot_ = 0;
    std::unique_ptr<Database> db_;
    RunList runs_;
    WheelRows wheel_;

    QTableView* grid_;
    QStandardItemModel* model_;
    QCheckBox* history_;
    QPushButton* add_;
    QPushButton* clearLast_;
    QPushButton* exit_;
};

}  // namespace tidemark
