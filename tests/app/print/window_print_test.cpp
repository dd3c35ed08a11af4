// The output chooser in the real window: printing through a private CUPS scheduler with
// two cups-pdf queues (the PDFs are read back with pdfinfo and pdftoppm), cancelling,
// and the one-off FTP publish during an image cycle against a private FTP server.
#include <QCheckBox>
#include <QEvent>
#include <QImage>
#include <QLineEdit>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QSpinBox>
#include <memory>
#include <regex>

#include "app/auto_paging_frame.h"
#include "app/menu_list.h"
#include "devices/ui/chart_view.h"
#include "support/cups_server.h"
#include "support/ftp_server.h"
#include "support/run_program.h"
#include "support/temp_folder.h"
#include "window_fixture.h"

using namespace tidemark;
using namespace tidemark::apptest;
using tidemark::testsupport::CupsServer;
using tidemark::testsupport::ReadWholeFile;
using tidemark::testsupport::RunProgram;

namespace {

// Made first so the creation order differs from the order the system lists them in.
const char* kFirstMade = "Zulu_PDF";
const char* kSecondMade = "Alpha_PDF";

QStringList Entries(const MenuList* menu) {
    QStringList out;
    for (int i = 0; i < menu->count(); ++i) out << menu->EntryText(i);
    return out;
}

// Every size the window is given while it is watched.
class ResizeRecorder : public QObject {
public:
    explicit ResizeRecorder(QWidget& window) { window.installEventFilter(this); }
    std::vector<QSize> sizes;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) sizes.push_back(static_cast<QResizeEvent*>(event)->size());
        return false;
    }
};

struct PrintedPage {
    bool landscape = false;
    QImage picture;  // as a viewer shows it, rotation applied
    std::string info;
};

PrintedPage ReadPdf(const std::string& pdf, const std::string& scratch) {
    PrintedPage page;
    page.info = RunProgram({"pdfinfo", pdf}, scratch + "pdfinfo.out", 30).output;
    std::smatch size, rot;
    if (std::regex_search(page.info, size, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)")) &&
        std::regex_search(page.info, rot, std::regex(R"(Page rot:\s+(\d+))"))) {
        bool wide = std::stod(size[1]) > std::stod(size[2]);
        bool turned = std::stoi(rot[1]) % 180 == 90;
        page.landscape = wide != turned;
    }
    RunProgram({"pdftoppm", "-r", "40", "-png", "-singlefile", pdf, scratch + "page"}, scratch + "pdftoppm.out", 60);
    page.picture = QImage(QString::fromStdString(scratch + "page.png")).convertToFormat(QImage::Format_RGB32);
    return page;
}

// The document the window handed to the print system, and the sheet the queue made of it:
// an upright A4 sheet with a landscape page laid on it turned.
struct PrintedJob {
    std::string id;  // "QUEUE-N ..."
    PrintedPage sent;
    PrintedPage printed;
    bool On(const std::string& queue) const { return id.rfind(queue + "-", 0) == 0; }
};

bool Near(QRgb pixel, const QColor& c, int tolerance) {
    return std::abs(qRed(pixel) - c.red()) <= tolerance && std::abs(qGreen(pixel) - c.green()) <= tolerance &&
           std::abs(qBlue(pixel) - c.blue()) <= tolerance;
}

// The share of the picture within a few steps of the colour.
double ShareOf(const QImage& image, const QColor& c) {
    if (image.isNull()) return 0;
    long hits = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) hits += Near(image.pixel(x, y), c, 8);
    return static_cast<double>(hits) / (static_cast<double>(image.width()) * image.height());
}

// The box around everything that is not white paper.
QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!Near(image.pixel(x, y), Qt::white, 10)) box |= QRect(x, y, 1, 1);
    return box;
}

QColor Color(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

class PrintTest : public WindowTest {
protected:
    static void SetUpTestSuite() {
        cups_ = std::make_unique<CupsServer>();
        std::string error;
        if (!cups_->Start(&error) || !cups_->AddPdfQueue(kFirstMade, &error) ||
            !cups_->AddPdfQueue(kSecondMade, &error) || !cups_->SetDefaultQueue(kFirstMade, &error))
            startError_ = error.empty() ? "the print system did not start" : error;
    }
    static void TearDownTestSuite() { cups_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(startError_.empty()) << startError_;
        WindowTest::SetUp();
        ASSERT_TRUE(scratch_.ok());
        // Each test reads only its own PDFs.
        for (const std::string& pdf : cups_->NewPdfs()) std::remove(pdf.c_str());
        jobsBefore_ = cups_->Jobs().size();
    }

    // Runs "Print" of the graph menu over graph 1 and picks `entry` in the chooser.
    void PrintFromGraphMenu(const QString& entry) {
        window_->OpenGraphMenu(0, 500, 900);
        window_->GraphMenu()->Choose("Print");
        ASSERT_TRUE(window_->OutputMenu()->isVisible());
        window_->OutputMenu()->Choose(entry);
        EXPECT_FALSE(window_->OutputMenu()->isVisible());
    }

    // The one job the last print made: the document the window handed in and the PDF
    // the queue wrote of it, read back.
    PrintedJob OnlyNewJob() {
        PrintedJob job;
        EXPECT_TRUE(cups_->WaitUntilIdle(std::chrono::seconds(60)));
        std::vector<std::string> jobs = NewJobs();
        EXPECT_EQ(jobs.size(), 1u);
        std::vector<std::string> pdfs = cups_->NewPdfs();
        EXPECT_EQ(pdfs.size(), 1u) << "in " << cups_->OutputFolder();
        if (jobs.empty() || pdfs.empty()) return job;
        job.id = jobs.back();
        job.sent = ReadPdf(cups_->SubmittedDocument(job.id), scratch_.File("sent-"));
        job.printed = ReadPdf(pdfs.back(), scratch_.File("printed-"));
        for (const std::string& pdf : pdfs) std::remove(pdf.c_str());
        jobsBefore_ = cups_->Jobs().size();
        return job;
    }

    std::vector<std::string> NewJobs() const {
        std::vector<std::string> jobs = cups_->Jobs();
        return {jobs.begin() + static_cast<long>(std::min(jobsBefore_, jobs.size())), jobs.end()};
    }

    static std::unique_ptr<CupsServer> cups_;
    static std::string startError_;
    testsupport::TempFolder scratch_{"tidemark-print-check"};
    size_t jobsBefore_ = 0;
};

std::unique_ptr<CupsServer> PrintTest::cups_;
std::string PrintTest::startError_;

}  // namespace

TEST_F(PrintTest, TheChooserListsThePrintersAsTheSystemDoesAndFollowsThemWhileOpen) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    std::vector<std::string> system = cups_->Queues();
    ASSERT_EQ(system, (std::vector<std::string>{kSecondMade, kFirstMade}));
    QStringList expected = {"Save as PNG File", "Default Printer", kSecondMade, kFirstMade, "Cancel"};
    window_->OpenGraphMenu(0, 500, 900);
    window_->GraphMenu()->Choose("Print");
    EXPECT_EQ(Entries(window_->OutputMenu()), expected);
    for (const QString& entry : expected) EXPECT_TRUE(window_->OutputMenu()->IsAvailable(entry)) << entry.toStdString();
    window_->OutputMenu()->Choose("Cancel");

    // A printer installed while the program runs is offered the next time, at the place
    // the graph menu was.
    std::string error;
    ASSERT_TRUE(cups_->AddPdfQueue("Middle_PDF", &error)) << error;
    window_->OpenGraphMenu(0, 500, 900);
    QPoint menuAt = window_->GraphMenu()->pos();
    window_->GraphMenu()->Choose("Print");
    EXPECT_EQ(window_->OutputMenu()->pos(), menuAt);
    EXPECT_EQ(Entries(window_->OutputMenu()),
              QStringList({"Save as PNG File", "Default Printer", kSecondMade, "Middle_PDF", kFirstMade, "Cancel"}));
    window_->OutputMenu()->Choose("Cancel");
    RunProgram({"lpadmin", "-h", cups_->Server(), "-x", "Middle_PDF"}, scratch_.File("lpadmin.out"), 30);
}

TEST_F(PrintTest, EachPrinterGetsTheGraphPageInLandscape) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    QSize before = window_->size();
    for (const char* queue : {kSecondMade, kFirstMade}) {
        SCOPED_TRACE(queue);
        PrintFromGraphMenu(queue);
        PrintedJob job = OnlyNewJob();
        EXPECT_TRUE(job.On(queue)) << job.id;
        EXPECT_TRUE(job.sent.landscape) << job.sent.info;
        ASSERT_FALSE(job.printed.picture.isNull());
        // The sheet shows page 1: two graphs on their backdrops, light blue-grey and
        // light green, with the window's wide shape turned upright with the page.
        for (const PrintedPage* page : {&job.sent, &job.printed}) {
            EXPECT_GT(ShareOf(page->picture, Color(kBackA)), 0.05);
            EXPECT_GT(ShareOf(page->picture, Color(kBackB)), 0.05);
        }
        QRect sent = InkBox(job.sent.picture), printed = InkBox(job.printed.picture);
        EXPECT_EQ(sent.width() > sent.height(), printed.height() > printed.width()) << job.printed.info;
    }
    EXPECT_EQ(window_->size(), before);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(PrintTest, AWindowWiderThanThePaperIsPrintedAtTheLandscapeSheetsSizeAndRestored) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    window_->resize(1000, 600);
    ASSERT_TRUE(WaitUntil([&] { return window_->size() == QSize(1000, 600); }));
    ResizeRecorder recorder(*window_);
    PrintFromGraphMenu(kSecondMade);
    // A4 upright is 794 pixels wide, less than the window: the window takes the shape of
    // the sheet turned to landscape (its printable area, within 1123 x 794 pixels), then
    // its old size again.
    ASSERT_EQ(recorder.sizes.size(), 2u);
    EXPECT_GT(recorder.sizes[0].width(), 1000);
    EXPECT_LE(recorder.sizes[0].width(), 1123);
    EXPECT_GT(recorder.sizes[0].height(), 700);
    EXPECT_LE(recorder.sizes[0].height(), 794);
    EXPECT_EQ(recorder.sizes[1], QSize(1000, 600));
    EXPECT_EQ(window_->size(), QSize(1000, 600));
    // What went out fills the wide page.
    PrintedJob job = OnlyNewJob();
    EXPECT_TRUE(job.sent.landscape) << job.sent.info;
    const QImage& sent = job.sent.picture;
    QRect ink = InkBox(sent);
    EXPECT_GT(ink.width(), sent.width() * 9 / 10);
    EXPECT_GT(ink.height(), sent.height() * 85 / 100);
    // The page is laid out for the window's own size again.
    EXPECT_EQ(window_->Chart(0)->width(), 1000);
}

TEST_F(PrintTest, AWebScreenPageIsScaledIntoThePrintableAreaWhole) {
    // A page of blue with a red strip along its bottom edge: a print cut off loses it.
    const std::string page = db_.Folder() + "strip.html";
    ASSERT_TRUE(WriteFileAtomic(page,
                                "<!DOCTYPE html><html><body style=\"margin:0;background:#1080f0;overflow:hidden\">"
                                "<div style=\"position:fixed;left:0;right:0;bottom:0;height:40px;background:#ff0000\">"
                                "</div></body></html>"));
    WriteSetup(SetupText({PageLine(1, "Strip"), " 1 ;-1 ;Web Screen;" + page + "; 0 ; 0 ; 0 ; 0 ; 0"}));
    ASSERT_EQ(Open(), 0);
    for (QSize size : {QSize(1000, 600), QSize(600, 900)}) {
        SCOPED_TRACE(size.width());
        window_->resize(size);
        ASSERT_TRUE(WaitUntil([&] { return window_->size() == size; }));
        window_->WebMenu()->ShowAt(QPoint(40, 40));
        window_->WebMenu()->Choose("Print");
        // The default printer keeps the window's shape, which is scaled into the page.
        window_->OutputMenu()->Choose(size.width() > 794 ? QString(kSecondMade) : QString("Default Printer"));
        PrintedJob job = OnlyNewJob();
        EXPECT_TRUE(job.sent.landscape) << job.sent.info;
        const QImage& sent = job.sent.picture;
        QRect ink = InkBox(sent);
        // Whole: the red strip at the bottom is there, inside the sheet.
        EXPECT_GT(ShareOf(sent.copy(ink.left(), ink.bottom() - ink.height() / 30, ink.width(), ink.height() / 30),
                          QColor(255, 0, 0)),
                  0.5);
        EXPECT_LT(ink.bottom(), sent.height() - 1);
        // Filling the sheet one way or the other, from its top-left corner.
        EXPECT_TRUE(ink.width() > sent.width() * 85 / 100 || ink.height() > sent.height() * 85 / 100)
            << ink.width() << " x " << ink.height() << " of " << sent.width() << " x " << sent.height();
        EXPECT_LT(ink.left(), sent.width() / 10);
        EXPECT_LT(ink.top(), sent.height() / 10);
    }
}

TEST_F(PrintTest, ANarrowWindowAndTheDefaultPrinterKeepTheWindowsSize) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    window_->resize(600, 400);
    ASSERT_TRUE(WaitUntil([&] { return window_->size() == QSize(600, 400); }));
    ResizeRecorder recorder(*window_);
    PrintFromGraphMenu(kSecondMade);
    EXPECT_TRUE(recorder.sizes.empty());
    QRect ink = InkBox(OnlyNewJob().sent.picture);
    EXPECT_GT(ink.width(), ink.height());

    // "Default Printer" never resizes, however wide the window, and goes to the queue
    // the system calls its default.
    window_->resize(1000, 600);
    ASSERT_TRUE(WaitUntil([&] { return window_->size() == QSize(1000, 600); }));
    recorder.sizes.clear();
    PrintFromGraphMenu("Default Printer");
    EXPECT_TRUE(recorder.sizes.empty());
    PrintedJob job = OnlyNewJob();
    EXPECT_TRUE(job.On(kFirstMade)) << job.id;
    EXPECT_TRUE(job.sent.landscape) << job.sent.info;
}

TEST_F(PrintTest, TheWebScreenMenuPrintsTheCapturedWindow) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    window_->WebMenu()->ShowAt(QPoint(40, 40));
    window_->WebMenu()->Choose("Print");
    ASSERT_TRUE(window_->OutputMenu()->isVisible());
    EXPECT_EQ(window_->OutputMenu()->pos(), QPoint(40, 40));
    window_->OutputMenu()->Choose(kFirstMade);
    PrintedJob job = OnlyNewJob();
    EXPECT_TRUE(job.sent.landscape) << job.sent.info;
    EXPECT_GT(ShareOf(job.printed.picture, Color(kBackA)), 0.02);
    // The picture is painted from the page's top-left corner at its own size.
    const QImage& sent = job.sent.picture;
    QRect ink = InkBox(sent);
    EXPECT_LT(ink.left(), sent.width() / 10);
    EXPECT_LT(ink.top(), sent.height() / 10);
}

TEST_F(PrintTest, CancelPrintsAndSavesNothing) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    QSignalSpy written(window_.get(), &MainWindow::ImageWritten);
    PrintFromGraphMenu("Cancel");
    ASSERT_TRUE(cups_->WaitUntilIdle(std::chrono::seconds(10)));
    EXPECT_TRUE(NewJobs().empty());
    EXPECT_TRUE(cups_->NewPdfs().empty());
    EXPECT_EQ(written.count(), 0);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(WindowTest, SavingWithFtpDuringAnImageCyclePublishesOnceAndEndsTheCycle) {
    WriteFourPages();
    testsupport::TempFolder pictures;
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_autoweb.txt",
                                pictures.Path() + "\r\n\r\n\r\n 0  Separately on/off\r\n"));
    testsupport::FtpServer server;
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    ASSERT_EQ(Open(), 0);

    BeginImageRound();
    ASSERT_EQ(state_.imageCycleMarker, 2);
    ASSERT_TRUE(window_->Pager().Timer().isActive());
    QSignalSpy written(window_.get(), &MainWindow::ImageWritten);

    answers_.push_back(MsgAnswer::Yes);
    bool ftpTickedWhenShown = false;
    AnswerPublishDialog("OKButton", [&](PublishDialog& d) {
        ftpTickedWhenShown = d.FtpImage()->isChecked();
        d.AddressBox()->setText(QString::fromStdString(server.HostAndPort()));
        d.FolderBox()->clear();
        d.UserBox()->setText(QString::fromStdString(server.User()));
        d.PasswordBox()->setText(QString::fromStdString(server.Password()));
    });
    window_->GraphMenu()->ShowAt(QPoint(10, 10));
    window_->GraphMenu()->Choose("Print");
    window_->OutputMenu()->Choose("Save as PNG File");

    ASSERT_FALSE(messages_.empty());
    EXPECT_EQ(messages_.front(), "Do you want to FTP image also?");
    EXPECT_TRUE(ftpTickedWhenShown);
    // Once, under the image base path, which FTP puts in the program folder.
    ASSERT_EQ(written.count(), 1);
    std::string local = db_.Folder() + "Tidemark_window2.png";
    EXPECT_EQ(written.at(0).at(0).toString().toStdString(), local);
    ASSERT_TRUE(ReadFileBytes(local).has_value());
    EXPECT_EQ(server.Read("Tidemark_window2.png"), *ReadFileBytes(local));
    EXPECT_EQ(window_->Caption(), "FTP'ing... " + local + " ...done");
    EXPECT_TRUE(window_->Pager().Timer().isActive());

    // Afterwards the cycle is over and FTP is off again.
    EXPECT_EQ(state_.imageCycleMarker, 0);
    EXPECT_FALSE(window_->Publishing().Dialog().FtpImage()->isChecked());
    EXPECT_FALSE(window_->Images().Publishing().ftp);
    window_->Pager().NextPage();
    EXPECT_EQ(written.count(), 1);
}
