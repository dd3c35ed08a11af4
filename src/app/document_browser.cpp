#include "app/document_browser.h"

#include <QEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTextBrowser>
#include <QUrl>

#include "pages/web_screen.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {
namespace {

// The viewer's grey behind the pages, and the gap between two pages.
const QColor kPagesBackdrop(0x52, 0x56, 0x59);
constexpr int kPageGap = 8;

// Passes the mouse-ups of the view's parts, and the view's new sizes, to the browser.
class ViewEvents : public QObject {
public:
    ViewEvents(DocumentBrowser& browser, QObject* parent) : QObject(parent), browser_(browser) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && watched == browser_.View()) browser_.LayOutPages();
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const int button = mouse->button() == Qt::LeftButton    ? kLeftButton
                               : mouse->button() == Qt::RightButton ? kRightButton
                                                                    : 4;
            browser_.MouseUp(button, mouse->modifiers().testFlag(Qt::ControlModifier));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    DocumentBrowser& browser_;
};

}  // namespace

DocumentPages::DocumentPages(QWidget* parent) : QWidget(parent) {}

void DocumentPages::SetPages(std::vector<QImage> pages) {
    pages_ = std::move(pages);
    update();
}

QSize DocumentPages::Fitted(const QImage& page, int width) const {
    if (page.isNull()) return {};
    // As wide as the view at most, and each page no taller than the view.
    return page.size().scaled(QSize(std::max(1, width), std::max(1, viewHeight_)), Qt::KeepAspectRatio);
}

int DocumentPages::HeightFor(int width, int viewHeight) const {
    int height = 0;
    for (const QImage& page : pages_) {
        QSize fitted = page.size().scaled(QSize(std::max(1, width), std::max(1, viewHeight)), Qt::KeepAspectRatio);
        height += (height > 0 ? kPageGap : 0) + (page.isNull() ? 0 : fitted.height());
    }
    return std::max(height, viewHeight);
}

void DocumentPages::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kPagesBackdrop);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    int top = 0;
    for (const QImage& page : pages_) {
        if (page.isNull()) continue;
        const QSize fitted = Fitted(page, width());
        const QRect at(QPoint((width() - fitted.width()) / 2, top), fitted);
        painter.fillRect(at, Qt::white);
        painter.drawImage(at, page);
        top += fitted.height() + kPageGap;
    }
}

DocumentBrowser::DocumentBrowser(QWidget* parent)
    : view_(new QWidget(parent)), stack_(new QStackedLayout(view_)), text_(new QTextBrowser(view_)),
      pagesArea_(new QScrollArea(view_)), pages_(new DocumentPages(pagesArea_)) {
    text_->setFrameShape(QFrame::NoFrame);
    text_->setOpenLinks(false);
    text_->setContextMenuPolicy(Qt::NoContextMenu);
    pagesArea_->setFrameShape(QFrame::NoFrame);
    pagesArea_->setWidget(pages_);
    pagesArea_->setWidgetResizable(false);
    pagesArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stack_->addWidget(text_);
    stack_->addWidget(pagesArea_);
    // A document the program drew takes no keyboard focus: nothing in it is to be typed
    // into or followed.
    for (QWidget* part : {view_, static_cast<QWidget*>(text_), text_->viewport(), static_cast<QWidget*>(pagesArea_),
                          pagesArea_->viewport(), static_cast<QWidget*>(pages_)})
        part->setFocusPolicy(Qt::NoFocus);
    auto* events = new ViewEvents(*this, view_);
    view_->installEventFilter(events);
    text_->viewport()->installEventFilter(events);
    pages_->installEventFilter(events);
    pagesArea_->viewport()->installEventFilter(events);
}

DocumentBrowser::~DocumentBrowser() { delete view_; }

bool DocumentBrowser::Shows(const QString& address) {
    const QString a = address.trimmed();
    // A file: address names a local file as a path does.
    if (a.contains("://") && !a.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) return false;
    return IsSheetAddress(ToProgramText(a)) || a.endsWith(".pdf", Qt::CaseInsensitive);
}

QWidget* DocumentBrowser::View() const { return view_; }

void DocumentBrowser::Navigate(const QUrl& url) {
    address_ = url.toDisplayString(QUrl::PreferLocalFile);
    if (loadFailed_) loadFailed_(address_, DocumentFailure::NotFound, {});
}

void DocumentBrowser::ShowHtml(const QString& html, const QString& address) {
    address_ = address;
    text_->setHtml(html);
    stack_->setCurrentWidget(text_);
}

void DocumentBrowser::ShowPages(std::vector<QImage> pages, const QString& address) {
    address_ = address;
    pages_->SetPages(std::move(pages));
    LayOutPages();
    stack_->setCurrentWidget(pagesArea_);
}

void DocumentBrowser::LayOutPages() {
    const QSize area = view_->size();
    pages_->SetViewHeight(area.height());
    pages_->resize(area.width(), pages_->HeightFor(area.width(), area.height()));
}

void DocumentBrowser::ScrollTo(int x, int y) {
    QAbstractScrollArea* area =
        stack_->currentWidget() == text_ ? static_cast<QAbstractScrollArea*>(text_) : pagesArea_;
    area->horizontalScrollBar()->setValue(x);
    area->verticalScrollBar()->setValue(y);
}

QPoint DocumentBrowser::ScrollPosition() const {
    const QAbstractScrollArea* area =
        stack_->currentWidget() == text_ ? static_cast<const QAbstractScrollArea*>(text_) : pagesArea_;
    return {area->horizontalScrollBar()->value(), area->verticalScrollBar()->value()};
}

void DocumentBrowser::SetScrollBarsHidden(bool hidden) {
    const Qt::ScrollBarPolicy policy = hidden ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    text_->setVerticalScrollBarPolicy(policy);
    text_->setHorizontalScrollBarPolicy(policy);
    pagesArea_->setVerticalScrollBarPolicy(policy);
    scrollBarsHidden_ = hidden;
}

QImage DocumentBrowser::Grab() const { return view_->grab().toImage(); }

QString DocumentBrowser::Text() const { return text_->toPlainText(); }

void DocumentBrowser::MouseUp(int button, bool ctrl) {
    // Drawn pages, a sheet or a notice fill the view: anywhere on them is the document's
    // content, never the page background a right click leaves alone.
    if (mouseUp_) mouseUp_("OBJECT", button, ctrl);
}

}  // namespace tidemark
