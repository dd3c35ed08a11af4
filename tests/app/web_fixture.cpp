#include "web_fixture.h"

#include <cstdio>
#include <memory>

#include "support/workbook_files.h"

namespace tidemark::apptest {

std::string RedPdf() {
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>",
    };
    std::string content = "1 0 0 rg 0 0 612 792 re f";
    objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    std::string out = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t o : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return out;
}

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
    browser->View()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
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
