// .xlsx workbooks: a zip of XML parts (Office Open XML). The parts read are the
// workbook's list of sheets and its relationships (which part holds which sheet), the
// shared strings, the cell styles (to tell a date from a number: dates are serial
// numbers in a date format) and the sheets themselves, read as a stream.
#include <quazip.h>
#include <quazipfile.h>

#include <QtCore/QHash>
#include <QtCore/QString>
#include <QtCore/QXmlStreamReader>

#include <charconv>
#include <cmath>
#include <memory>
#include <optional>

#include "core/daynum.h"
#include "platform/db/workbook.h"
#include "platform/qt_text.h"

namespace tidemark {

namespace {

// A part whose compressed data is damaged stops giving bytes before its document ends;
// the reader then waits for more that never comes ("premature end", not at its end),
// so every loop also stops at an error.
bool More(const QXmlStreamReader& xml) { return !xml.atEnd() && !xml.hasError(); }

bool IsBuiltInDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

// A format shows a date or time when a date or time letter stands outside quoted text,
// escaped characters and [colour] or [condition] sections ([h], [m], [s] elapsed times
// count as times).
bool IsDateFormatCode(const QString& code) {
    bool quoted = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        QChar c = code[i];
        if (quoted) {
            if (c == u'"') quoted = false;
            continue;
        }
        if (c == u'"')
            quoted = true;
        else if (c == u'\\' || c == u'_' || c == u'*')
            ++i;  // the next character is literal
        else if (c == u'[') {
            qsizetype close = code.indexOf(u']', i);
            if (close < 0) return false;
            QString inside = code.mid(i + 1, close - i - 1).toLower();
            if (inside == u"h" || inside == u"hh" || inside == u"m" || inside == u"mm" || inside == u"s" ||
                inside == u"ss")
                return true;
            i = close;
        } else {
            switch (c.toLower().unicode()) {
                case 'y':
                case 'd':
                case 'h':
                case 's':
                case 'm': return true;
                default: break;
            }
        }
    }
    return false;
}

// "BC12" -> 54 (0-based column), or -1.
int ColumnOfReference(QStringView ref) {
    int column = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i) column = column * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
    return i == 0 ? -1 : column - 1;
}

// Text of an element holding <t> pieces (a shared or inline string), without the
// phonetic runs; the reader ends on the element's end.
QString StringItemText(QXmlStreamReader& xml) {
    QString text;
    int phonetic = 0;
    QStringView end = xml.name();
    QString endName = end.toString();
    while (More(xml)) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"t" && phonetic == 0)
                text += xml.readElementText();
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh")
                --phonetic;
            else if (xml.name() == endName)
                break;
        }
    }
    return text;
}

class XlsxWorkbook final : public Workbook {
public:
    explicit XlsxWorkbook(std::string path) : path_(std::move(path)), zip_(QString::fromStdString(path_)) {}

    DbResult<bool> Open() {
        if (!zip_.open(QuaZip::mdUnzip))
            return DbError{"The file " + path_ + " is not an Excel workbook (.xlsx) that can be read"};
        DbResult<bool> read = ReadSheetList();
        if (!read) return read;
        read = ReadSharedStrings();
        if (!read) return read;
        return ReadStyles();
    }

    const std::vector<std::string>& SheetNames() const override { return names_; }

    DbResult<bool> ReadRows(int sheet, const std::function<void(const WorkbookRow&)>& visit) override {
        if (sheet < 0 || static_cast<size_t>(sheet) >= names_.size())
            return DbError{"The workbook " + path_ + " has no sheet " + std::to_string(sheet + 1)};
        const std::string& name = names_[static_cast<size_t>(sheet)];
        std::unique_ptr<QuaZipFile> part = OpenPart(parts_[static_cast<size_t>(sheet)]);
        if (!part) return DbError{"The workbook " + path_ + " has no part for its sheet " + name};
        // The whole part at once: the parser then works on one buffer instead of
        // re-assembling device reads, a good part of its time on large sheets.
        QByteArray bytes = part->readAll();
        QXmlStreamReader xml(bytes);
        WorkbookRow row;
        int nextRow = 1;
        while (More(xml)) {
            xml.readNext();
            if (!xml.isStartElement() || xml.name() != u"row") continue;
            int number = xml.attributes().value(QLatin1String("r")).toInt();
            if (number <= 0) number = nextRow;
            // Rows the file leaves out are empty rows.
            for (; nextRow < number; ++nextRow) visit(WorkbookRow{});
            ReadRow(xml, row);
            visit(row);
            nextRow = number + 1;
        }
        if (xml.hasError())
            return DbError{"The sheet " + name + " of the workbook " + path_ +
                           " cannot be read: " + ToProgramText(xml.errorString())};
        return true;
    }

private:
    std::unique_ptr<QuaZipFile> OpenPart(const QString& name) {
        if (!zip_.setCurrentFile(name, QuaZip::csInsensitive)) return nullptr;
        auto file = std::make_unique<QuaZipFile>(&zip_);
        if (!file->open(QIODevice::ReadOnly)) return nullptr;
        return file;
    }

    DbResult<bool> Broken(const QString& part, const QXmlStreamReader& xml) {
        return DbError{"The workbook " + path_ + " cannot be read (" + ToProgramText(part) +
                       "): " + ToProgramText(xml.errorString())};
    }

    // Relationship id -> part name, of the relationships part beside a part.
    QHash<QString, QString> ReadRelationships(const QString& relsPart, const QString& folder) {
        QHash<QString, QString> targets;
        std::unique_ptr<QuaZipFile> file = OpenPart(relsPart);
        if (!file) return targets;
        QXmlStreamReader xml(file.get());
        while (More(xml)) {
            xml.readNext();
            if (!xml.isStartElement() || xml.name() != u"Relationship") continue;
            QString target = xml.attributes().value(QLatin1String("Target")).toString();
            if (target.startsWith(u'/'))
                target = target.mid(1);
            else
                target = folder + target;
            targets.insert(xml.attributes().value(QLatin1String("Id")).toString(), target);
        }
        return targets;
    }

    DbResult<bool> ReadSheetList() {
        QString workbookPart = QStringLiteral("xl/workbook.xml");
        QHash<QString, QString> root = ReadRelationships(QStringLiteral("_rels/.rels"), QString());
        for (auto it = root.cbegin(); it != root.cend(); ++it)
            if (it.value().endsWith(u"workbook.xml", Qt::CaseInsensitive)) workbookPart = it.value();
        QString folder = workbookPart.left(workbookPart.lastIndexOf(u'/') + 1);
        QHash<QString, QString> rels = ReadRelationships(
            folder + QStringLiteral("_rels/") + workbookPart.mid(folder.size()) + QStringLiteral(".rels"), folder);
        std::unique_ptr<QuaZipFile> file = OpenPart(workbookPart);
        if (!file) return DbError{"The file " + path_ + " is not an Excel workbook (.xlsx): it has no workbook part"};
        QXmlStreamReader xml(file.get());
        while (More(xml)) {
            xml.readNext();
            if (!xml.isStartElement()) continue;
            if (xml.name() == u"workbookPr") {
                QStringView flag = xml.attributes().value(QLatin1String("date1904"));
                date1904_ = flag == u"1" || flag == u"true";
            } else if (xml.name() == u"sheet") {
                QString id;
                for (const QXmlStreamAttribute& a : xml.attributes())
                    if (a.name() == u"id") id = a.value().toString();  // r:id
                QString part = rels.value(id);
                if (part.isEmpty()) continue;  // a chart sheet or a broken link: no cells
                names_.push_back(xml.attributes().value(QLatin1String("name")).toString().toStdString());
                parts_.push_back(part);
            }
        }
        if (xml.hasError()) return Broken(workbookPart, xml);
        return true;
    }

    DbResult<bool> ReadSharedStrings() {
        std::unique_ptr<QuaZipFile> file = OpenPart(QStringLiteral("xl/sharedStrings.xml"));
        if (!file) return true;  // a workbook without text
        QXmlStreamReader xml(file.get());
        while (More(xml)) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"si") strings_.push_back(StringItemText(xml).toStdString());
        }
        if (xml.hasError()) return Broken(QStringLiteral("xl/sharedStrings.xml"), xml);
        return true;
    }

    DbResult<bool> ReadStyles() {
        std::unique_ptr<QuaZipFile> file = OpenPart(QStringLiteral("xl/styles.xml"));
        if (!file) return true;
        QXmlStreamReader xml(file.get());
        QHash<int, bool> customDate;
        bool inCellFormats = false;
        while (More(xml)) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == u"cellXfs") inCellFormats = false;
            if (!xml.isStartElement()) continue;
            if (xml.name() == u"numFmt") {
                customDate.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                                  IsDateFormatCode(xml.attributes().value(QLatin1String("formatCode")).toString()));
            } else if (xml.name() == u"cellXfs") {
                inCellFormats = true;
            } else if (inCellFormats && xml.name() == u"xf") {
                int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
                dateStyles_.push_back(customDate.contains(id) ? customDate.value(id) : IsBuiltInDateFormat(id));
            }
        }
        if (xml.hasError()) return Broken(QStringLiteral("xl/styles.xml"), xml);
        return true;
    }

    bool IsDateStyle(int style) const {
        return style >= 0 && static_cast<size_t>(style) < dateStyles_.size() && dateStyles_[static_cast<size_t>(style)];
    }

    enum class CellType { Number, Shared, Text, Boolean, IsoDate, Error };

    static CellType TypeOf(QStringView t) {
        if (t.isEmpty() || t == u"n") return CellType::Number;
        if (t == u"s") return CellType::Shared;
        if (t == u"str" || t == u"inlineStr") return CellType::Text;
        if (t == u"b") return CellType::Boolean;
        if (t == u"d") return CellType::IsoDate;
        return CellType::Error;
    }

    // Reads one <row> to its end into row.
    void ReadRow(QXmlStreamReader& xml, WorkbookRow& row) {
        row.clear();
        while (More(xml)) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == u"row") break;
            if (!xml.isStartElement() || xml.name() != u"c") continue;
            int column = -1;
            CellType type = CellType::Number;
            int style = 0;
            // One pass over the attributes: this runs for every cell of the sheet.
            const QXmlStreamAttributes attributes = xml.attributes();
            for (const QXmlStreamAttribute& a : attributes) {
                QStringView name = a.name();
                if (name == u"r")
                    column = ColumnOfReference(a.value());
                else if (name == u"t")
                    type = TypeOf(a.value());
                else if (name == u"s")
                    style = a.value().toInt();
            }
            if (column < 0) column = static_cast<int>(row.size());
            if (static_cast<size_t>(column) >= row.size()) row.resize(static_cast<size_t>(column) + 1);
            ReadCell(xml, type, style, row[static_cast<size_t>(column)]);
        }
        while (!row.empty() && row.back().kind == WorkbookCell::Kind::Empty) row.pop_back();
    }

    // The number in the text, parsed without a QString made for it.
    static std::optional<double> NumberOf(QStringView text) {
        char buffer[64];
        qsizetype length = 0;
        for (QChar c : text) {
            if (c.isSpace()) continue;
            if (length == static_cast<qsizetype>(sizeof buffer) || c.unicode() > 0x7f) return std::nullopt;
            buffer[length++] = static_cast<char>(c.unicode());
        }
        double value = 0;
        auto [end, error] = std::from_chars(buffer, buffer + length, value);
        if (error != std::errc() || end != buffer + length || length == 0) return std::nullopt;
        return value;
    }

    // Reads one <c> to its end.
    void ReadCell(QXmlStreamReader& xml, CellType type, int style, WorkbookCell& cell) {
        cell = WorkbookCell{};
        QString value;
        bool hasValue = false;
        bool inValue = false;
        while (More(xml)) {
            xml.readNext();
            if (xml.isEndElement()) {
                if (xml.name() == u"c") break;
                if (xml.name() == u"v") inValue = false;
                continue;
            }
            if (xml.isCharacters() && inValue) {
                // Numbers and dates, nearly every cell of a series sheet, straight from
                // the parser.
                if (value.isEmpty() && type == CellType::Number) {
                    if (std::optional<double> number = NumberOf(xml.text())) {
                        bool date = IsDateStyle(style);
                        cell.kind = date ? WorkbookCell::Kind::DateTime : WorkbookCell::Kind::Number;
                        cell.number = date ? DayNumberOfSerial(*number, date1904_) : *number;
                        hasValue = inValue = false;
                        continue;
                    }
                }
                value += xml.text();
                continue;
            }
            if (!xml.isStartElement()) continue;
            if (xml.name() == u"v") {
                hasValue = inValue = true;
            } else if (xml.name() == u"is") {
                cell.kind = WorkbookCell::Kind::Text;
                cell.text = StringItemText(xml).toStdString();
            }
        }
        if (!hasValue) return;
        switch (type) {
            case CellType::Shared: {
                bool ok = false;
                qsizetype index = value.toLongLong(&ok);
                if (ok && index >= 0 && static_cast<size_t>(index) < strings_.size()) {
                    cell.kind = WorkbookCell::Kind::Text;
                    cell.text = strings_[static_cast<size_t>(index)];
                }
                break;
            }
            case CellType::Text:
                cell.kind = WorkbookCell::Kind::Text;
                cell.text = value.toStdString();
                break;
            case CellType::Boolean:
                cell.kind = WorkbookCell::Kind::Boolean;
                cell.number = value.trimmed() == u"1" ? 1 : 0;
                break;
            case CellType::IsoDate:
                if (std::optional<double> day = ParseIsoDateTime(ToProgramText(value))) {
                    cell.kind = WorkbookCell::Kind::DateTime;
                    cell.number = *day;
                }
                break;
            case CellType::Number:
                if (std::optional<double> number = NumberOf(value)) {
                    cell.kind = IsDateStyle(style) ? WorkbookCell::Kind::DateTime : WorkbookCell::Kind::Number;
                    cell.number = IsDateStyle(style) ? DayNumberOfSerial(*number, date1904_) : *number;
                }
                break;
            case CellType::Error: break;  // #N/A and the like read as empty cells
        }
    }

    std::string path_;
    QuaZip zip_;
    std::vector<std::string> names_;
    std::vector<QString> parts_;
    std::vector<std::string> strings_;
    std::vector<bool> dateStyles_;  // by cell style index
    bool date1904_ = false;
};

}  // namespace

DbResult<std::unique_ptr<Workbook>> OpenXlsxWorkbook(const std::string& path) {
    auto workbook = std::make_unique<XlsxWorkbook>(path);
    DbResult<bool> opened = workbook->Open();
    if (!opened) return DbError{opened.error()};
    return std::unique_ptr<Workbook>(std::move(workbook));
}

}  // namespace tidemark
