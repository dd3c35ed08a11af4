#include "devices/web/local_document_source.h"

#include <QFile>

#include "pages/document_limits.h"

namespace tidemark {

LocalDocumentReply ServeLocalDocument(const DocumentRule& rule, const QString& path) {
    const OpenedDocument file = rule.Open(QFile::encodeName(path).toStdString());
    if (!file.IsOpen()) return {};
    Result<std::string> bytes = file.Read(kServedDocumentBytes);
    if (!bytes) return {};
    return {true, QByteArray::fromStdString(*bytes)};
}

}  // namespace tidemark
