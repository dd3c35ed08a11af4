#pragma once
// The browser of a web screen that shows a document the program draws itself: a PDF's
// pages, a workbook's first sheet, or the notice of a document that is not shown. No
// browser engine stands behind it, so a setup whose web screens are only PDF files and
// workbooks never starts the engine (its processes and their memory).
#include <QPoint>
#include <QString>
#include <QWidget>
#include <vector>

#include "devices/web/browser.h"

class QImage;
class QScrollArea;
class QStackedLayout;
class QTextBrowser;

namespace tidemark {

// The pages of a PDF, one below the other, each fitted to the view, on the viewer's grey.
class DocumentPages : public QWidget {
public:
    explicit DocumentPages(QWidget* parent);
    void SetPages(std::vector<QImage> pages);
    // The height the pages take at `width` within a view `viewHeight` pixels high.
    int HeightFor(int width, int viewHeight) const;
    void SetViewHeight(int height) { viewHeight_ = height; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize Fitted(const QImage& page, int width) const;

    std::vector<QImage> pages_;
    int viewHeight_ = 0;
};

class DocumentBrowser : public Browser {
public:
    explicit DocumentBrowser(QWidget* parent);
    ~DocumentBrowser() override;

    // Whether `address` names a document this browser shows (a local PDF or workbook,
    // given as a path), rather than one for the browser engine.
    static bool Shows(const QString& address);

    QWidget* View() const override;
    void SetMouseUpHandler(MouseUpHandler handler) override { mouseUp_ = std::move(handler); }
    // It runs no document's script and follows no link.
    void SetConsoleHandler(ConsoleHandler) override {}
    void SetDocumentLinkHandler(DocumentLinkHandler) override {}
    void SetDocumentFilter(DocumentFilter) override {}
    void SetLoadFailedHandler(LoadFailedHandler handler) override { loadFailed_ = std::move(handler); }
    void SetFollowsLinks(bool) override {}
    void SetTakesFocus(bool) override {}
    // Nothing it could load itself: the address is told as not found.
    void Navigate(const QUrl& url) override;
    // A page of the program's own (a sheet, a notice), as text.
    void ShowHtml(const QString& html, const QString& address) override;
    // The drawn pages of a PDF, one below the other.
    void ShowPages(std::vector<QImage> pages, const QString& address);
    bool ShowsProgramPage() const override { return true; }
    void RefreshCompletely() override {}
    QString Location() const override { return address_; }
    bool Complete() const override { return true; }
    bool WaitComplete(int) override { return true; }
    void ScrollTo(int x, int y) override;
    QPoint ScrollPosition() const override;
    std::optional<QPoint> DocumentScrollPosition(int) override { return ScrollPosition(); }
    // A drawn PDF or workbook is named on the site, not told as text.
    std::optional<DocumentWords> DocumentText(int, int) override { return std::nullopt; }
    void SetScrollBarsHidden(bool hidden) override;
    bool ScrollBarsHidden() const override { return scrollBarsHidden_; }
    void FitFirstImage(int, int) override {}
    // Drawn when shown: there is nothing to wait for.
    void RequestPaintReport() override {}
    bool PaintReported() const override { return true; }
    bool PaintReportAskedSinceChange() const override { return true; }
    std::optional<ViewFrames> FramesSinceReport() const override { return std::nullopt; }
    bool WaitUntilViewerPainted(int) override { return true; }
    QImage Grab() const override;

    // The text shown (a sheet's cells, a notice), for whoever checks it.
    QString Text() const;
    // A mouse-up on the view: the button (1 left, 2 right, 4 middle) and Ctrl.
    void MouseUp(int button, bool ctrl);
    // The pages fitted to the view's present size.
    void LayOutPages();

private:
    QWidget* view_;
    QStackedLayout* stack_;
    QTextBrowser* text_;
    QScrollArea* pagesArea_;
    DocumentPages* pages_;
    MouseUpHandler mouseUp_;
    LoadFailedHandler loadFailed_;
    QString address_;
    bool scrollBarsHidden_ = false;
};

}  // namespace tidemark
