// Web screens answering the user: real clicks on a page whose navigation is off, the
// notice a document that cannot be reached leaves in its place, a click that turns to a
// page of documents, the page's background, the keyboard focus, and the window's edge
// under a whole-page web screen.
#include <QElapsedTimer>
#include <QImage>

#include "web_fixture.h"

using namespace tidemark;
using namespace tidemark::apptest;

namespace {

bool Near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 && std::abs(a.blue() - b.blue()) < 8;
}

class WebClickTest : public WebScreenTest {
protected:
    // The widget of browser `index` that the engine's input goes to.
    QWidget* InputOf(int index) {
        QWidget* view = BrowserOf(index)->View();
        return view->focusProxy() ? view->focusProxy() : view;
    }

    // The middle of the element `selector` in the view of browser `index`, in the view's
    // pixels.
    std::optional<QPoint> MiddleOf(int index, const QString& selector) {
        std::optional<QVariant> at = Js(index, "(function () { var r = document.querySelector('" + selector +
                                                   "').getBoundingClientRect();"
                                                   " return [Math.round(r.left + r.width / 2),"
                                                   " Math.round(r.top + r.height / 2)]; })()");
        if (!at) return std::nullopt;
        QVariantList xy = at->toList();
        if (xy.size() != 2) return std::nullopt;
        return QPoint(xy[0].toInt(), xy[1].toInt());
    }

    // A click of the mouse as the user makes it, on the view of browser `index`.
    void Click(int index, const QPoint& at, Qt::MouseButton button, Qt::KeyboardModifiers keys = {}) {
        QWidget* input = InputOf(index);
        QTest::mouseMove(input, at);
        QTest::mousePress(input, button, keys, at);
        QTest::qWait(50);
        QTest::mouseRelease(input, button, keys, at);
    }

    // A mouse-up dispatched in the document on the first element `selector` names.
    void MouseUpOn(int index, const QString& selector, int button) {
        Js(index, "document.querySelector('" + selector +
                      "').dispatchEvent(new MouseEvent('mouseup', {bubbles: true, button: " + QString::number(button) +
                      "})); true");
    }

    QString Text(int index) { return Js(index, "document.body.innerText").value_or(QVariant()).toString(); }

    // Whether the document holds a focused element other than its body.
    bool SomethingFocused(int index) {
        return Js(index,
                  "!!document.activeElement && document.activeElement !== document.body &&"
                  " document.activeElement !== document.documentElement")
            .value_or(QVariant(true))
            .toBool();
    }

    bool ViewHasFocus(int index) {
        QWidget* focused = QApplication::focusWidget();
        QWidget* view = BrowserOf(index)->View();
        return focused && (focused == view || view->isAncestorOf(focused));
    }
};

}  // namespace

TEST_F(WebClickTest, AClickThatTurnsToAPageOfDocumentsIsAsQuickAsTheMenu) {
    WriteSetup(SetupText(
        {PageLine(1, "Block"), WebLine(1, Html()), PageLine(2, "Reports"), WebLine(1, Pdf()), WebLine(2, Xlsx())}));
    ASSERT_EQ(Open(), 0);
    ASSERT_TRUE(WaitUntil([&] { return BrowserOf(0)->Complete(); }));
    // Once round by the menu, so the documents' first loads do not count.
    window_->WebMenu()->Choose("Next");
    ASSERT_EQ(state_.currentpage, 2);
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 1);

    QElapsedTimer byMenu;
    byMenu.start();
    window_->WebMenu()->Choose("Next");
    const qint64 menuMs = byMenu.elapsed();
    window_->Pager().NextPage();
    ASSERT_EQ(state_.currentpage, 1);

    drawn_.clear();
    QElapsedTimer byClick;
    byClick.start();
    MouseUp(0, "block", 0);
    ASSERT_TRUE(WaitUntil([&] { return !drawn_.empty() && !window_->Busy(); }, 15000));
    const qint64 clickMs = byClick.elapsed();
    EXPECT_EQ(state_.currentpage, 2);
    EXPECT_TRUE(BrowserOf(1)->View()->isVisible());
    EXPECT_TRUE(BrowserOf(1)->Complete());
    EXPECT_LT(clickMs, menuMs + 3000) << "the menu took " << menuMs << " ms";
}

TEST_F(WebClickTest, AWholePageWebScreenReachesTheWindowsBottomEdge) {
    // Scroll bars hidden: the document itself down to the last row.
    WriteSetup(SetupText({PageLine(1, "Block"), WebLine(1, Html(), 0)}));
    ASSERT_EQ(Open(), 0);
    QImage image = window_->CaptureClientArea();
    ASSERT_FALSE(image.isNull());
    for (int y = image.height() - 4; y < image.height(); ++y)
        for (int x = image.width() / 4; x < image.width() * 3 / 4; x += 16)
            ASSERT_TRUE(Near(image.pixelColor(x, y), kBlockColor))
                << "at " << x << ", " << y << ": " << image.pixelColor(x, y).name().toStdString();
}
