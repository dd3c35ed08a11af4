#pragma once
// The small window shown while an unattended start loads its pages: the program's
// title and version.
#include <QWidget>

namespace tidemark {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    SplashWindow();
    QString VersionLabel() const;

private:
    QString version_;
};

}  // namespace tidemark
