#pragma once
// The small window shown while an unattended start loads its pages: the program's
// title and version, and while web screens load a progress bar, the count of the
// browser loading and, after the last one, where help is found.
#include <QWidget>

class QFrame;
class QLabel;

namespace tidemark {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    SplashWindow();

    // The bar's width in twips (the full bar is 3600) and the label beside it.
    void SetProgress(int barWidthTwips, const QString& label);
    void SetMessage(const QString& message);
    QString ProgressLabel() const;
    QString Message() const;

private:
    QFrame* bar_ = nullptr;
    QLabel* progress_ = nullptr;
    QLabel* message_ = nullptr;
};

}  // namespace tidemark
