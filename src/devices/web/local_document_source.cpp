#include "devices/web/local_document_source.h"

#include <QFile>

#include "pages/document_limits.h"

namespace tidemark {

LocalDocumentReply ServeLocalDocument(const DocumentRule& rule, const QString& path) {
    const OpenedDocument file = rule.Open(QFile::encodeName(path).toStdString());
    if (!file.IsOpen()) return {false, {}, QString::fromStdString(RefusalReason(AccessOf(file.Access())))};
    Result<std::string> bytes = file.Read(kServedDocumentBytes);
    if (!bytes) return {false, {}, QString::fromStdString(bytes.error())};
    return {true, QByteArray::fromStdString(*bytes), {}};
}

}  // namespace tidemark
