// Page images from the window: the image cycle started by the Auto Paging frame, one
// image per graph, and the interactive save.
#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QImage>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <cmath>
#include <functional>
#include <optional>

#include "app/auto_paging_frame.h"
#include "app/menu_list.h"
#include "devices/ui/chart_painter.h"
#include "devices/ui/chart_view.h"
#include "pages/flood_bands.h"
#include "support/temp_folder.h"

using namespace tidemark;
using namespace tidemark::apptest;

namespace {

QColor Color(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// Answers the file dialog that the next command opens, as a user would, while it shows.
class FileDialogAnswer {
public:
    explicit FileDialogAnswer(std::function<void(QFileDialog&)> answer) : answer_(std::move(answer)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            timer_.stop();
            offered_ = true;
            answer_(*dialog);
        });
        timer_.start();
    }
    bool Offered() const { return offered_; }

private:
    std::function<void(QFileDialog&)> answer_;
    QTimer timer_;
    bool offered_ = false;
};

}  // namespace

TEST_F(WindowTest, AnImageCycleWritesEachPageOnceThenEnds) {
    WriteFourPages();
    testsupport::TempFolder pictures;
    // Local folder, one image per graph.
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_autoweb.txt",
                                pictures.Path() + "\r\n\r\n\r\n 1  Separately on/off\r\n"));
    ASSERT_EQ(Open(), 0);
    state_.pages.Page(3).removed = true;
    QSignalSpy written(window_.get(), &MainWindow::ImageWritten);

    AutoPagingFrame* frame = window_->AutoPaging();
    frame->WritePageImage()->setChecked(true);
    frame->AutoPagingOn()->setChecked(true);
    frame->PageTime()->setValue(3600);  // the test turns the pages itself
    AnswerPublishDialog("OKButton");
    window_->Pager().ConfirmAutoPaging();
    EXPECT_TRUE(window_->Images().Publishing().saveEachGraph);
    EXPECT_EQ(window_->Images().Publishing().imageBasePath, pictures.Path() + "Tidemark_window.png");
    // The first page of the cycle is drawn and written at once.
    EXPECT_EQ(state_.currentpage, 2);
    EXPECT_EQ(state_.imageCycleMarker, 2);
    std::string first = pictures.File("Tidemark_window_2_1.png");
    EXPECT_TRUE(FileExists(first));
    EXPECT_FALSE(FileExists(pictures.File("Tidemark_window_2_2.png")));  // page 2 has one graph
    EXPECT_EQ(window_->Caption(), "Saved... " + first);

    // "Just update now" reloads and draws the page shown again: on the round's first page
    // that is not the page coming round, and on any page it is not a second image.
    frame->JustUpdateNow()->setChecked(true);
    window_->Pager().ConfirmAutoPaging();
    EXPECT_EQ(state_.imageCycleMarker, 2);
    window_->Pager().NextPage();  // page 4: three graphs
    frame->JustUpdateNow()->setChecked(true);
    window_->Pager().ConfirmAutoPaging();
    EXPECT_EQ(written.count(), 4);
    window_->Pager().NextPage();  // page 1: two graphs
    for (const char* name : {"Tidemark_window_4_1.png", "Tidemark_window_4_2.png", "Tidemark_window_4_3.png",
                             "Tidemark_window_1_1.png", "Tidemark_window_1_2.png"})
        EXPECT_TRUE(FileExists(pictures.File(name))) << name;
    EXPECT_EQ(written.count(), 6);

    // Page 1's graphs fill the width, one above the other: each image shows its own graph.
    QImage top(QString::fromStdString(pictures.File("Tidemark_window_1_1.png")));
    QImage bottom(QString::fromStdString(pictures.File("Tidemark_window_1_2.png")));
    ASSERT_FALSE(top.isNull());
    EXPECT_EQ(top.width(), window_->width());
    EXPECT_EQ(top.size(), bottom.size());
    EXPECT_EQ(top.pixelColor(3, 3), Color(kBackA));
    EXPECT_EQ(bottom.pixelColor(3, 3), Color(kBackB));

    // Back at the cycle's first page: the cycle ends, nothing more is written, and an
    // interactive run goes on.
    window_->Pager().NextPage();
    EXPECT_EQ(state_.currentpage, 2);
    EXPECT_EQ(state_.imageCycleMarker, 0);
    window_->Pager().NextPage();
    EXPECT_EQ(written.count(), 6);
    EXPECT_FALSE(window_->HasClosed());
}

// The Auto Paging frame confirmed while page 1 is drawn, from the events its draw lets
// run: the round begins with the page it turns to, once page 1 is drawn, and every page
// is written once, each showing its own graphs.
TEST_F(WindowTest, ARoundBegunWhilePageOneIsDrawnWritesEveryPageOnce) {
    WriteFourPages();
    testsupport::TempFolder pictures;
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_autoweb.txt", pictures.Path() + "\r\n\r\n\r\n"));
    ASSERT_EQ(Open(), 0);
    for (int turn = 0; turn < 3; ++turn) window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 4);
    AutoPagingFrame* frame = window_->AutoPaging();
    frame->WritePageImage()->setChecked(true);
    frame->AutoPagingOn()->setChecked(true);
    frame->PageTime()->setValue(3600);  // the test turns the pages itself
    bool duringPageOne = false;
    QTimer::singleShot(0, [&] {
        duringPageOne = window_->Busy() && state_.currentpage == 1;
        AnswerPublishDialog("OKButton");
        QTest::mouseClick(frame->OkButton(), Qt::LeftButton);
    });
    window_->Pager().NextPage();
    ASSERT_TRUE(duringPageOne);
    EXPECT_EQ(state_.currentpage, 2);
    EXPECT_EQ(state_.imageCycleMarker, 2);
    EXPECT_EQ(drawn_.back(), 2);

    for (int turn = 0; turn < 4; ++turn) window_->Pager().NextPage();  // 3, 4, 1 and 2 again
    EXPECT_EQ(state_.imageCycleMarker, 0);
    std::vector<std::string> expected;
    for (int p : {2, 3, 4, 1}) expected.push_back(pictures.File("Tidemark_window" + std::to_string(p) + ".png"));
    EXPECT_EQ(written_, expected);
    QImage one(QString::fromStdString(pictures.File("Tidemark_window1.png")));
    QImage two(QString::fromStdString(pictures.File("Tidemark_window2.png")));
    ASSERT_FALSE(one.isNull());
    ASSERT_FALSE(two.isNull());
    EXPECT_EQ(one.pixelColor(3, 3), Color(kBackA));
    EXPECT_EQ(one.pixelColor(3, one.height() * 3 / 4), Color(kBackB));
    EXPECT_EQ(two.pixelColor(3, 3), Color(kBackB));
}

TEST_F(WindowTest, TheInteractiveSaveWritesTheNameChosen) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    std::string bmp = db_.Folder() + "mine.bmp";
    FileDialogAnswer answer([&](QFileDialog& dialog) {
        dialog.selectFile(QString::fromStdString(bmp));
        // What the dialog's Save button does (accept() is protected in QFileDialog).
        static_cast<QDialog&>(dialog).accept();
    });
    window_->GraphMenu()->ShowAt(QPoint(10, 10));
    window_->GraphMenu()->Choose("Print");
    ASSERT_TRUE(window_->OutputMenu()->isVisible());
    answers_.push_back(MsgAnswer::No);  // no FTP
    window_->OutputMenu()->Choose("Save as PNG File");
    EXPECT_TRUE(answer.Offered());
    EXPECT_EQ(messages_, (std::vector<std::string>{"Do you want to FTP image also?", "Picture saved to file."}));
    EXPECT_FALSE(window_->Publishing().Dialog().isVisible());
    EXPECT_FALSE(window_->Images().Publishing().ftp);
    auto bytes = ReadFileBytes(bmp);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->substr(0, 2), "BM");  // a ".bmp" name gives the bitmap format
    QImage image(QString::fromStdString(bmp));
    EXPECT_EQ(image.size(), window_->size());
    EXPECT_EQ(image.pixelColor(3, 3), Color(kBackA));
}

TEST_F(WindowTest, ACancelledSaveDialogIsReportedAndWritesNothing) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    FileDialogAnswer answer([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.selectedFiles().value(0), QString::fromStdString(db_.Folder() + "Tidemark_graph.png"));
        dialog.reject();
    });
    window_->GraphMenu()->ShowAt(QPoint(10, 10));
    window_->GraphMenu()->Choose("Print");
    answers_.push_back(MsgAnswer::No);
    window_->OutputMenu()->Choose("Save as PNG File");
    EXPECT_TRUE(answer.Offered());
    EXPECT_EQ(messages_, (std::vector<std::string>{"Do you want to FTP image also?", "Cancel was selected."}));
    EXPECT_FALSE(FileExists(db_.Folder() + "Tidemark_graph.png"));
    EXPECT_FALSE(window_->HasClosed());
}

namespace {

// The flood category whose band colour (at its alpha over a white wall) a pixel shows.
std::optional<FloodCategory> BandAt(const QColor& c) {
    const int r = c.red(), g = c.green(), b = c.blue();
    if (b > r + 10) return FloodCategory::Major;                             // violet
    if (std::abs(g - b) < 12 && g < r - 20) return FloodCategory::Moderate;  // red
    if (g > b + 15 && g < r - 10) return FloodCategory::Minor;               // orange
    if (std::abs(g - r) < 12 && b < g - 20) return FloodCategory::Action;    // yellow
    return std::nullopt;
}

}  // namespace

// A flood display with a logarithmic Y axis: each band's edges lie where the axis puts
// its level, in the page image as on the screen (a band drawn on a linear scale would
// put 5 ft inside the major band of a 1 to 10 ft axis).
TEST_F(WindowTest, FloodBandsOnALogarithmicAxisLieAtTheirLevelsInThePageImage) {
    // Minor 3, moderate 5, major 8 ft; log axis from the setup.
    WriteSetup(SetupText({PageLine(1, "Flood"),
                          " 1 ; 101 ;Stage;Creek; 0 ; 0 ; -1 ; 16777215 ; 16777215 ; 255 ; "
                          "65280 ; 0 ; 0 ; 0 ; 0 ; 4 ; 3 ; 5 ; 8 "}));
    ASSERT_EQ(Open(), 0);
    ChartView* chart = window_->Chart(0);
    ASSERT_TRUE(chart->FloodCategories().has_value());
    ASSERT_EQ(chart->Surface().YAxis().scaleType, ScaleType::Logarithmic);

    std::string png = db_.Folder() + "flood.png";
    FileDialogAnswer answer([&](QFileDialog& dialog) {
        dialog.selectFile(QString::fromStdString(png));
        static_cast<QDialog&>(dialog).accept();
    });
    window_->GraphMenu()->ShowAt(QPoint(10, 10));
    window_->GraphMenu()->Choose("Print");
    answers_.push_back(MsgAnswer::No);  // no FTP
    window_->OutputMenu()->Choose("Save as PNG File");
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());

    const QRectF target(QPointF(0, 0), QSizeF(chart->size()));
    const QRectF plot = PlotAreaIn(chart->Surface(), target).translated(chart->mapTo(window_.get(), QPoint(0, 0)));
    const DrawnAxisRange y = DrawnYAxis(chart->Surface(), target);
    ASSERT_TRUE(y.logarithmic);
    ASSERT_LT(y.minimum, 3);
    ASSERT_GT(y.maximum, 8);
    auto rowOf = [&](double level) {
        return plot.top() + plot.height() * (std::log10(y.maximum) - std::log10(level)) /
                                (std::log10(y.maximum) - std::log10(y.minimum));
    };
    // Clear of the labels at the left and the curve at the right.
    const int x = static_cast<int>(plot.left() + plot.width() * 0.45);
    auto bandAt = [&](double row) { return BandAt(image.pixelColor(x, static_cast<int>(std::lround(row)))); };
    struct Edge {
        double level;
        FloodCategory above, below;
    };
    for (const Edge& e : {Edge{8, FloodCategory::Major, FloodCategory::Moderate},
                          Edge{5, FloodCategory::Moderate, FloodCategory::Minor}}) {
        SCOPED_TRACE("level " + std::to_string(e.level));
        EXPECT_EQ(bandAt(rowOf(e.level) - 4), e.above);
        EXPECT_EQ(bandAt(rowOf(e.level) + 4), e.below);
    }
    EXPECT_EQ(bandAt(rowOf(3) - 4), FloodCategory::Minor);
}

TEST_F(WindowTest, ACaptureStillHeldKeepsItsPageWhileTheNextPagesAreCaptured) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    auto capture = [&](int page) {
        state_.currentpage = static_cast<int16_t>(page);
        window_->DrawCurrentPage();
        return window_->CaptureClientArea();
    };
    // Each page alone, as a reference.
    std::vector<QImage> alone;
    for (int page = 1; page <= 4; ++page) alone.push_back(capture(page).copy());
    ASSERT_NE(alone[0], alone[1]);
    ASSERT_NE(alone[1], alone[2]);

    // Pages held as a writer holds an image it has not written yet, while more pages are
    // captured; each one let go of may be painted over by a later capture.
    QImage held1 = capture(1);
    QImage held2 = capture(2);
    QImage held3 = capture(3);
    EXPECT_EQ(held1, alone[0]);
    EXPECT_EQ(held2, alone[1]);
    EXPECT_EQ(held3, alone[2]);
    held1 = QImage();
    QImage held4 = capture(4);
    EXPECT_EQ(held4, alone[3]);
    EXPECT_EQ(held2, alone[1]);
    EXPECT_EQ(held3, alone[2]);
    held2 = held3 = QImage();
    EXPECT_EQ(capture(2), alone[1]);
    EXPECT_EQ(capture(1), alone[0]);
    EXPECT_EQ(held4, alone[3]);
    EXPECT_EQ(held4.format(), QImage::Format_RGB32);
}
