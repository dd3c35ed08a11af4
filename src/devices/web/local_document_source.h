#pragma once
// The program's answer to the browser engine's request for a local document: the file is
// opened, the opened file checked against the rule (its real path, its kind, its links),
// and its bytes read from that descriptor, bounded.
#include <QString>

#include "devices/web/local_documents.h"
#include "pages/document_access.h"

namespace tidemark {

LocalDocumentReply ServeLocalDocument(const DocumentRule& rule, const QString& path);

}  // namespace tidemark
