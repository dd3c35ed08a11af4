#pragma once
// A web screen of a published page as the site tells it: the text the browser engine
// rendered of an HTML document, made safe to publish and cut at a stated length, or the
// name of a PDF or workbook.
#include <QString>
#include <string>

#include "publish/page_readings.h"

namespace tidemark {

// `address` as the setup names it (UTF-8); `title` and `text` as the engine rendered
// them (empty for a document it does not render). Control characters go, runs of spaces
// become one, blank lines one; the text is cut after kDocumentTextLimit characters, at
// a space when one is near. A web address (http, https) is linked; a local file is not
// published by the round and is only named.
PublishedDocument DocumentForSite(int slot, const std::string& address, const QString& title, const QString& text);

}  // namespace tidemark
