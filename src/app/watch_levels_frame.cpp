#include "app/watch_levels_frame.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "pages/graph_menu.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {

WatchLevelsFrame::WatchLevelsFrame(QWidget* parent) : FloatingFrame("FrameLevels", parent) {
    auto* grid = new QGridLayout(Body());
    auto* caption = new QLabel("Watch Levels", this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    grid->addWidget(caption, 0, 0, 1, 2);
    const char* labels[] = {"High", "Low", "Check last N values"};
    for (int i = 0; i < 3; ++i) {
        levels_[i] = new QLineEdit(this);
        levels_[i]->setObjectName(QString("TextLevel_%1").arg(i));
        grid->addWidget(new QLabel(labels[i], this), i + 1, 0);
        grid->addWidget(levels_[i], i + 1, 1);
    }
    ok_ = new QPushButton("Ok", this);
    ok_->setObjectName("CommandLevels");
    grid->addWidget(ok_, 4, 1, Qt::AlignRight);
    connect(ok_, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT Confirmed();
    });
}

QLineEdit* WatchLevelsFrame::Level(int index) const { return levels_[index]; }

void WatchLevelsFrame::Fill(const WatchLevelTexts& texts) {
    levels_[0]->setText(ProgramText(texts.high));
    levels_[1]->setText(ProgramText(texts.low));
    levels_[2]->setText(ProgramText(texts.count));
}

WatchLevelTexts WatchLevelsFrame::Texts() const {
    return {ToProgramText(levels_[0]->text()), ToProgramText(levels_[1]->text()), ToProgramText(levels_[2]->text())};
}

}  // namespace tidemark
