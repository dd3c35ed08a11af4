#include "app/splash_window.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

#include "app/command_line.h"
#include "core/units.h"

namespace tidemark {

SplashWindow::SplashWindow() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplash");
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel("Tidemark", this);
    QFont big = title->font();
    big.setPointSize(24);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(QString::fromStdString(VersionText()), this);
    version->setAlignment(Qt::AlignCenter);
    message_ = new QLabel(this);
    message_->setObjectName("lblMessage");
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    auto* row = new QWidget(this);
    row->setFixedHeight(18);
    bar_ = new QFrame(row);
    bar_->setObjectName("progressBar");
    bar_->setAutoFillBackground(true);
    QPalette p = bar_->palette();
    p.setColor(QPalette::Window, QColor(0, 0, 160));
    bar_->setPalette(p);
    bar_->setGeometry(0, 2, 0, 14);
    progress_ = new QLabel(row);
    progress_->setObjectName("lblProgress");
    progress_->setGeometry(TwipsToPixels(3600) + 6, 0, 80, 18);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(row);
    layout->addWidget(message_);
    setFixedSize(380, 190);
}

void SplashWindow::SetProgress(int barWidthTwips, const QString& label) {
    bar_->resize(TwipsToPixels(barWidthTwips), bar_->height());
    progress_->setText(label);
}

void SplashWindow::SetMessage(const QString& message) { message_->setText(message); }

QString SplashWindow::ProgressLabel() const { return progress_->text(); }

QString SplashWindow::Message() const { return message_->text(); }

}  // namespace tidemark
