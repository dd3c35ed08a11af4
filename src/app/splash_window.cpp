#include "app/splash_window.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/command_line.h"

namespace tidemark {

SplashWindow::SplashWindow() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplash");
    version_ = QString::fromStdString(VersionText());
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel("Tidemark", this);
    QFont big = title->font();
    big.setPointSize(24);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(version_, this);
    version->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    layout->addWidget(version);
    setFixedSize(360, 160);
}

QString SplashWindow::VersionLabel() const { return version_; }

}  // namespace tidemark
