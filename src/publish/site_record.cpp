#include "publish/site_record.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>
#include <optional>

#include "core/textfile.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {
namespace {

const PublishedPage* FindPage(const std::vector<PublishedPage>& pages, int number) {
    for (const PublishedPage& page : pages)
        if (page.page == number) return &page;
    return nullptr;
}

const PublishedImage* FindImage(const PublishedPage* page, const std::string& fileName) {
    if (!page) return nullptr;
    for (const PublishedImage& image : page->images)
        if (image.fileName == fileName) return &image;
    return nullptr;
}

// Adds the readings `image` shows from `source`, each graph once (a page image and the
// graph images of the same page show the same graphs).
void AddReadingsOf(const PublishedImage& image, const PublishedPage& source, std::map<int, GraphReading>& graphs) {
    for (const GraphReading& reading : source.graphs)
        if (image.Shows(reading.slot)) graphs.emplace(reading.slot, reading);
}

PublishedPage PageTheSiteHolds(const PublishedPage& round, const PublishedPage* held) {
    PublishedPage page;
    page.page = round.page;
    page.name = round.name;
    std::map<int, GraphReading> graphs;
    for (const PublishedImage& image : round.images) {
        if (image.arrived) {
            page.images.push_back(image);
            AddReadingsOf(image, round, graphs);
            if (image.slot < 0) page.documents = round.documents;
        } else if (const PublishedImage* older = FindImage(held, image.fileName)) {
            page.images.push_back(*older);
            AddReadingsOf(*older, *held, graphs);
            if (image.slot < 0) page.documents = held->documents;
        }
    }
    for (auto& [slot, reading] : graphs) {
        page.dataTime = std::max(page.dataTime, reading.time);
        page.graphs.push_back(std::move(reading));
    }
    return page;
}

void SortByPage(std::vector<PublishedPage>& pages) {
    std::stable_sort(pages.begin(), pages.end(),
                     [](const PublishedPage& a, const PublishedPage& b) { return a.page < b.page; });
}

QString Text(const std::string& programText) { return ProgramText(programText); }

QJsonValue NumberOrNull(double value) { return IsMissing(value) ? QJsonValue() : QJsonValue(value); }

QJsonObject ReadingJson(const GraphReading& r) {
    return QJsonObject{{"slot", r.slot},
                       {"dsid", r.dsid},
                       {"station", Text(r.station)},
                       {"parameter", Text(r.parameter)},
                       {"unit", Text(r.unit)},
                       {"value", NumberOrNull(r.value)},
                       {"storedValue", NumberOrNull(r.storedValue)},
                       {"time", r.time},
                       {"watch", static_cast<int>(r.watch)},
                       {"flood", r.flood ? QJsonValue(static_cast<int>(*r.flood)) : QJsonValue()}};
}

QJsonObject DocumentJson(const PublishedDocument& d) {
    return QJsonObject{{"slot", d.slot},
                       {"kind", static_cast<int>(d.kind)},
                       {"address", QString::fromStdString(d.address)},
                       {"title", QString::fromStdString(d.title)},
                       {"text", QString::fromStdString(d.text)},
                       {"cut", d.cut},
                       {"link", QString::fromStdString(d.link)}};
}

std::optional<PublishedDocument> DocumentOf(const QJsonObject& o) {
    PublishedDocument d;
    d.slot = o["slot"].toInt(-1);
    int kind = o["kind"].toInt(-1);
    if (d.slot < 0 || kind < static_cast<int>(DocumentKind::Html) || kind > static_cast<int>(DocumentKind::Workbook))
        return std::nullopt;
    d.kind = static_cast<DocumentKind>(kind);
    d.address = o["address"].toString().toStdString();
    d.title = o["title"].toString().toStdString();
    d.text = o["text"].toString().toStdString();
    d.cut = o["cut"].toBool();
    d.link = o["link"].toString().toStdString();
    return d;
}

QJsonObject PageJson(const PublishedPage& page) {
    QJsonArray images, graphs, documents;
    for (const PublishedDocument& d : page.documents) documents.append(DocumentJson(d));
    for (const PublishedImage& image : page.images)
        images.append(QJsonObject{{"file", QString::fromStdString(image.fileName)},
                                  {"width", image.width},
                                  {"height", image.height},
                                  {"slot", image.slot}});
    for (const GraphReading& r : page.graphs) graphs.append(ReadingJson(r));
    return QJsonObject{{"page", page.page},
                       {"name", Text(page.name)},
                       {"images", images},
                       {"graphs", graphs},
                       {"documents", documents}};
}

std::optional<WatchCrossing> WatchOf(int code) {
    if (code < static_cast<int>(WatchCrossing::None) || code > static_cast<int>(WatchCrossing::Both))
        return std::nullopt;
    return static_cast<WatchCrossing>(code);
}

std::optional<GraphReading> ReadingOf(const QJsonObject& o, int page) {
    GraphReading r;
    r.page = page;
    r.slot = o["slot"].toInt(-1);
    r.dsid = o["dsid"].toInt();
    r.station = ToProgramText(o["station"].toString());
    r.parameter = ToProgramText(o["parameter"].toString());
    r.unit = ToProgramText(o["unit"].toString());
    r.value = o["value"].isDouble() ? o["value"].toDouble() : kMissing;
    r.storedValue = o["storedValue"].isDouble() ? o["storedValue"].toDouble() : kMissing;
    r.time = o["time"].toDouble();
    std::optional<WatchCrossing> watch = WatchOf(o["watch"].toInt(-1));
    int flood = o["flood"].toInt(-1);
    if (r.slot < 0 || !watch ||
        (!o["flood"].isNull() && (flood < 0 || flood > static_cast<int>(FloodCategory::Action))))
        return std::nullopt;
    r.watch = *watch;
    if (!o["flood"].isNull()) r.flood = static_cast<FloodCategory>(flood);
    return r;
}

std::optional<PublishedPage> PageOf(const QJsonObject& o) {
    PublishedPage page;
    page.page = o["page"].toInt(-1);
    page.name = ToProgramText(o["name"].toString());
    if (page.page < 0) return std::nullopt;
    for (const auto& value : o["images"].toArray()) {
        QJsonObject i = value.toObject();
        std::string file = i["file"].toString().toStdString();
        if (file.empty()) return std::nullopt;
        page.images.push_back({file, i["width"].toInt(), i["height"].toInt(), i["slot"].toInt(-1)});
    }
    for (const auto& value : o["graphs"].toArray()) {
        std::optional<GraphReading> reading = ReadingOf(value.toObject(), page.page);
        if (!reading) return std::nullopt;
        page.dataTime = std::max(page.dataTime, reading->time);
        page.graphs.push_back(std::move(*reading));
    }
    for (const auto& value : o["documents"].toArray()) {
        std::optional<PublishedDocument> document = DocumentOf(value.toObject());
        if (!document) return std::nullopt;
        page.documents.push_back(std::move(*document));
    }
    return page;
}

}  // namespace

std::vector<PublishedPage> PagesTheSiteHolds(const std::vector<PublishedPage>& round,
                                             const std::vector<PublishedPage>& held) {
    std::vector<PublishedPage> pages;
    for (const PublishedPage& page : round) {
        PublishedPage holds = PageTheSiteHolds(page, FindPage(held, page.page));
        if (!holds.images.empty()) pages.push_back(std::move(holds));
    }
    SortByPage(pages);
    return pages;
}

std::vector<PublishedPage> UpdatedRecord(const std::vector<PublishedPage>& published,
                                         const std::vector<PublishedPage>& held) {
    std::vector<PublishedPage> record = published;
    for (const PublishedPage& page : held)
        if (!FindPage(published, page.page)) record.push_back(page);
    SortByPage(record);
    return record;
}

Result<std::vector<PublishedPage>> ReadSiteRecord(const std::string& folder) {
    const std::string path = folder + kSiteRecordFileName;
    if (!FileExists(path)) return std::vector<PublishedPage>{};
    Result<std::string> bytes = ReadFileBytes(path);
    if (!bytes) return Fault{bytes.error(), path};
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(*bytes), &error);
    const Fault damaged{path + " is damaged; the site's text tells this round's values only", path};
    if (error.error != QJsonParseError::NoError || !document.isObject()) return damaged;
    std::vector<PublishedPage> pages;
    for (const auto& value : document.object()["pages"].toArray()) {
        std::optional<PublishedPage> page = PageOf(value.toObject());
        if (!page) return damaged;
        pages.push_back(std::move(*page));
    }
    return pages;
}

Result<void> WriteSiteRecord(const std::string& folder, const std::vector<PublishedPage>& pages) {
    QJsonArray array;
    for (const PublishedPage& page : pages) array.append(PageJson(page));
    QByteArray bytes = QJsonDocument(QJsonObject{{"pages", array}}).toJson(QJsonDocument::Compact);
    return WriteFileAtomic(folder + kSiteRecordFileName,
                           std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace tidemark
