// The window as the program's Host: its caption, message and input boxes (standard
// error in command-line mode, where nobody answers), yielding and the clock.
#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSpacerItem>
#include <iostream>

#include "app/console_host.h"
#include "app/main_window.h"
#include "core/daynum.h"
#include "core/shown_text.h"
#include "devices/ui/chart_painter.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

constexpr int kOneShotEventSliceMs = 2;

QMessageBox::StandardButtons ButtonsFor(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MsgButtons::Ok: break;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon IconFor(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information: return QMessageBox::Information;
        case MsgIcon::Exclamation: return QMessageBox::Warning;
        case MsgIcon::Critical: return QMessageBox::Critical;
        case MsgIcon::Question: return QMessageBox::Question;
        case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// A box as narrow as a short text leaves the window manager too little title bar for
// the title, which it then cuts: the width that holds the title (in the bold face title
// bars commonly use) beside the title bar's icon and three buttons.
int TitleBarWidth(const QWidget& box) {
    constexpr int kTitleBarControls = 4 * 32;
    QFont title = box.font();
    title.setBold(true);
    return QFontMetrics(title).horizontalAdvance(box.windowTitle()) + kTitleBarControls;
}

void WidenForTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const int width = TitleBarWidth(box);
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

}  // namespace

void MainWindow::SetCaption(const std::string& text) {
    caption_ = text;
    // The window manager gets the title as it is: a control character in a station name
    // must not reach it (or a terminal showing it).
    setWindowTitle(QString::fromStdString(ShownControls(ProgramText(text).toStdString())));
    // A headless window has no title bar: what it would show (the time of the data on
    // display, loading progress, faults) goes to standard output, one line each. An
    // unattended run keeps its output to the images it writes.
    if (options_.headless && !CommandLineMode()) std::cout << ConsoleHost::OneLine(text) << std::endl;
}

MsgAnswer MainWindow::Message(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    if (options_.answerMessage) return options_.answerMessage(text, buttons);
    if (NobodyToAnswer()) {
        std::cerr << ConsoleHost::OneLine(text) << std::endl;
        return ConsoleHost::DefaultAnswer(buttons);
    }
    QMessageBox box(IconFor(icon), title.empty() ? QString("Tidemark") : ProgramText(title), ProgramText(text),
                    ButtonsFor(buttons), this);
    WidenForTitle(box);
    switch (box.exec()) {
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Cancel: return MsgAnswer::Cancel;
        default: return MsgAnswer::Ok;
    }
}

void MainWindow::Report(const Fault& fault, Severity severity) {
    MsgIcon icon = MsgIcon::None;
    switch (severity) {
        case Severity::Note: break;
        case Severity::Warning: icon = MsgIcon::Exclamation; break;
        case Severity::Fatal: icon = MsgIcon::Critical; break;
    }
    Message(fault.description, MsgButtons::Ok, icon);
}

bool MainWindow::Confirm(const std::string& question) {
    return Message(question, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

std::string MainWindow::Input(const std::string& prompt, const std::string& title, const std::string& defaultText) {
    if (NobodyToAnswer()) return {};
    QInputDialog box(this);
    box.setWindowTitle(ProgramText(title));
    box.setLabelText(ProgramText(prompt));
    box.setTextValue(ProgramText(defaultText));
    // The box's layout sizes it from its contents: the prompt is given the room.
    if (auto* label = box.findChild<QLabel*>()) label->setMinimumWidth(TitleBarWidth(box));
    if (box.exec() != QDialog::Accepted) return {};
    return ToProgramText(box.textValue());
}

void MainWindow::Yield() {
    // The browser engine does one task per event it posts to itself. A one-shot render
    // never returns to the event loop, so one pass per yield would leave its documents
    // loading until the first web-screen page waits for them; a short slice lets them
    // load while the graphs draw.
    if (options_.oneShot)
        QCoreApplication::processEvents(QEventLoop::AllEvents, kOneShotEventSliceMs);
    else
        QCoreApplication::processEvents();
}

double MainWindow::Now() const { return options_.fixedNow ? *options_.fixedNow : LocalNow(); }

}  // namespace tidemark
