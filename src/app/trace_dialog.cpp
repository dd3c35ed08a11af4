#include "app/trace_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QWheelEvent>
#include <algorithm>

#include "core/units.h"
#include "data/database_access.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

constexpr double kSetupStringColumnTwips = 1800;

}  // namespace

TraceDialog::TraceDialog(ProgramState& state, Host& host, QWidget* parent)
    : QDialog(parent), state_(state), host_(host) {
    setObjectName("Dialog");
    grid_ = new QTableView(this);
    grid_->setObjectName("DataGrid1");
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    model_ = new QStandardItemModel(this);
    grid_->setModel(model_);
    grid_->viewport()->installEventFilter(this);

    history_ = new QCheckBox("Include History", this);
    history_->setObjectName("chkTraceHistory");
    history_->setToolTip("Include start date  history before run date.");
    add_ = new QPushButton("Add", this);
    add_->setObjectName("OKButton");
    clearLast_ = new QPushButton("Clear Last", this);
    clearLast_->setObjectName("ClearAllButton");
    exit_ = new QPushButton("Exit", this);
    exit_->setObjectName("CancelButton");

    auto* layout = new QGridLayout(this);
    layout->addWidget(grid_, 0, 0, 4, 1);
    layout->addWidget(add_, 0, 1);
    layout->addWidget(clearLast_, 1, 1);
    layout->addWidget(exit_, 2, 1);
    layout->addWidget(history_, 4, 0);
    resize(720, 320);

    connect(add_, &QPushButton::clicked, this, &TraceDialog::AddChosenRun);
    connect(grid_, &QTableView::doubleClicked, this, &TraceDialog::AddChosenRun);
    connect(clearLast_, &QPushButton::clicked, this, &TraceDialog::ClearLast);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
}

TraceDialog::~TraceDialog() = default;

void TraceDialog::ShowFault(const std::string& message) {
    // Unattended, nobody reads a box; the graph simply has no new trace.
    if (state_.autostartseconds == 0) host_.Message(message, MsgButtons::Ok, MsgIcon::Exclamation);
}

void TraceDialog::Run(int slot) {
    page_ = state_.currentpage;
    slot_ = slot;
    const std::string& lastRun = state_.traces.At(page_, slot_).lastRunText;
    setWindowTitle(ProgramText("Add Traces from M tables Last Run " + lastRun));
    if (!ListRuns()) return;
    exec();
}

bool TraceDialog::ListRuns() {
    model_->clear();
    runs_ = {};
    auto db = OpenDatabase(state_.settings, state_.programFolder, state_.lockWait);
    if (!db) {
        ShowFault(db.error());
        return false;
    }
    db_ = std::move(db.value());
    host_.Yield();
    Result<RunList> list = ReadRunList(*db_, state_, page_, slot_);
    if (!list) {
        ShowFault(list.error());
        db_.reset();
        return false;
    }
    runs_ = std::move(list.value());
    QStringList headers;
    for (const std::string& c : runs_.columns) headers << ProgramText(c);
    model_->setHorizontalHeaderLabels(headers);
    for (const RunRow& row : runs_.rows) {
        QList<QStandardItem*> items;
        for (const std::string& cell : row.cells) items << new QStandardItem(ProgramText(cell));
        model_->appendRow(items);
    }
    host_.Yield();
    FitColumns();
    if (model_->rowCount() > 0) grid_->selectRow(0);
    return true;
}

void TraceDialog::FitColumns() {
    // Each column is as wide as its heading and cells need in this platform's fonts;
    // the setup strings keep their narrower set width (they are long, and scroll).
    grid_->resizeColumnsToContents();
    if (model_->columnCount() >= 5)
        grid_->setColumnWidth(
            4, std::max(TwipsToPixels(kSetupStringColumnTwips), grid_->horizontalHeader()->sectionSizeHint(4)));
}

void TraceDialog::AddChosenRun() {
    int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1;
    const RunRow* run =
        row >= 0 && static_cast<size_t>(row) < runs_.rows.size() ? &runs_.rows[static_cast<size_t>(row)] : nullptr;
    if (db_) {
        Result<void> added = AddTrace(state_, *db_, page_, slot_, {run, history_->isChecked()});
        if (!added) ShowFault(AddTraceFaultMessage(run, page_, slot_, added.error()));
    }
    accept();
    Q_EMIT TracesChanged();
}

void TraceDialog::ClearLast() {
    if (state_.pages.Graph(page_, slot_).tracecount == 0) return;
    ClearLastTrace(state_, page_, slot_);
    Q_EMIT TracesChanged();
}

bool TraceDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        int rows = wheel_.Turn(wheel->angleDelta().y());
        QScrollBar* bar = grid_->verticalScrollBar();
        bar->setValue(bar->value() + rows);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TraceDialog::focusInEvent(QFocusEvent* event) {
    QDialog::focusInEvent(event);
    if (!state_.loading) grid_->setFocus();
}

void TraceDialog::done(int result) {
    // The connection lives only while the dialog is open.
    db_.reset();
    QDialog::done(result);
}

}  // namespace tidemark
