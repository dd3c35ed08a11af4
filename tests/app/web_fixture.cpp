#include "web_fixture.h"

#include <memory>

#include "support/pdf_files.h"
#include "support/workbook_files.h"

namespace tidemark::apptest {

std::string RedPdf() { return testsupport::SolidPagesPdf({"1 0 0"}); }

void WebScreenTest::SetUp() {
    WindowTest::SetUp();
    ASSERT_TRUE(WriteFileAtomic(Html(),
                                "<!DOCTYPE html><html><body style=\"margin:0\"><div id=\"block\" "
                                "style=\"width:4000px;height:4000px;background:#1080f0\"><a id=\"link\" "
                                "href=\"other.html\">other page</a></div></body></html>"));
    ASSERT_TRUE(WriteFileAtomic(OtherHtml(), "<!DOCTYPE html><html><body><p>elsewhere</p></body></html>"));
    ASSERT_TRUE(WriteFileAtomic(Pdf(), RedPdf()));
    std::string error;
    ASSERT_TRUE(testsupport::WriteWorkbookFromSqlite(db_.Folder() + "tidemark.db", Xlsx(), &error)) << error;
}

std::optional<QVariant> WebScreenTest::Js(int index, const QString& script) {
    Browser* browser = BrowserOf(index);
    if (!browser) return std::nullopt;
    // Shared: an answer that comes after the wait ran out lands in a live object.
    auto result = std::make_shared<std::optional<QVariant>>();
    auto* view = qobject_cast<QWebEngineView*>(browser->View());
    if (!view) return std::nullopt;
    view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                [result](const QVariant& v) { *result = v; });
    if (!WaitUntil([&] { return result->has_value(); })) return std::nullopt;
    return *result;
}

void WebScreenTest::MouseUp(int index, const QString& id, int button, bool ctrl) {
    QString target = id.isEmpty() ? "document.body" : "document.getElementById('" + id + "')";
    Js(index, target + ".dispatchEvent(new MouseEvent('mouseup', {bubbles: true, button: " + QString::number(button) +
                  ", ctrlKey: " + (ctrl ? "true" : "false") + "})); true");
}

}  // namespace tidemark::apptest
