// .xlsx workbooks: a zip of XML parts (Office Open XML). The parts read are the
// workbook's list of sheets and its relationships (which part holds which sheet), the
// shared strings, the cell styles (to tell a date from a number: dates are serial
// numbers in a date format) and the sheets themselves, read as a stream.
#include <quazip.h>
#include <quazipfile.h>

#include <QtCore/QHash>
#include <QtCore/QString>
#include <QtCore/QXmlStreamReader>

#include <cctype>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>

#include "core/daynum.h"
#include "storage/db/workbook.h"
#include "storage/db/xml_scanner.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {

namespace {

constexpr int kLastSheetRow = 1048576;

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

// Text of an element holding <t> pieces (a shared or inline string), without the
// phonetic runs; the scanner ends on the element's end.
std::string StringItemText(XmlScanner& xml) {
    std::string text;
    int depth = 0;
    int phonetic = 0;
    bool inText = false;
    while (true) {
        XmlScanner::Token token = xml.Next();
        if (token == XmlScanner::Token::StartElement) {
            ++depth;
            if (xml.Name() == "rPh")
                ++phonetic;
            else if (xml.Name() == "t")
                inText = phonetic == 0;
        } else if (token == XmlScanner::Token::EndElement) {
            if (depth-- == 0) break;
            if (xml.Name() == "rPh")
                --phonetic;
            else if (xml.Name() == "t")
                inText = false;
        } else if (token == XmlScanner::Token::Text) {
            if (inText) text += xml.Text();
        } else {
            break;
        }
    }
    return text;
}

std::string_view AsView(const QByteArray& bytes) { return {bytes.constData(), static_cast<size_t>(bytes.size())}; }

// "BC12" -> 54 (0-based column), or -1.
int ColumnOfReference(std::string_view ref) {
    int column = 0;
    size_t i = 0;
    for (; i < ref.size(); ++i) {
        char c = ref[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') break;
        if (i == 3) return -1;  // beyond XFD, the last column a sheet can have
        column = column * 26 + (c - 'A' + 1);
    }
    return i == 0 ? -1 : column - 1;
}

int IntegerOf(std::string_view text, int fallback) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

class XlsxWorkbook final : public Workbook {
public:
    XlsxWorkbook(const WorkbookSource& source, const WorkbookLimits& limits)
        : path_(source.Name()), limits_(limits), zip_(QString::fromStdString(source.path)) {}

    Result<bool> Open() {
        if (!zip_.open(QuaZip::mdUnzip))
            return Fault{"The file " + path_ + " is not an Excel workbook (.xlsx) that can be read"};
        Result<bool> read = ReadSheetList();
        if (!read) return read;
        read = ReadSharedStrings();
        if (!read) return read;
        return ReadStyles();
    }

    const std::vector<std::string>& SheetNames() const override { return names_; }

    Result<bool> ReadRows(int sheet, const std::function<void(const WorkbookRow&)>& visit) override {
        if (sheet < 0 || static_cast<size_t>(sheet) >= names_.size())
            return Fault{"The workbook " + path_ + " has no sheet " + std::to_string(sheet + 1)};
        const std::string& name = names_[static_cast<size_t>(sheet)];
        Result<std::optional<QByteArray>> part = ReadPart(parts_[static_cast<size_t>(sheet)]);
        if (!part) return part.fault();
        if (!*part) return Fault{"The workbook " + path_ + " has no part for its sheet " + name};
        XmlScanner xml(AsView(**part));
        WorkbookRow row;
        int nextRow = 1;
        while (true) {
            XmlScanner::Token token = xml.Next();
            if (token == XmlScanner::Token::EndOfDocument || token == XmlScanner::Token::Error) break;
            if (token != XmlScanner::Token::StartElement || xml.Name() != "row") continue;
            int number = IntegerOf(xml.Attribute("r").value_or(""), nextRow);
            // Rows the file leaves out are empty rows; a row number going back or beyond
            // the last row a sheet can have is taken as the next row.
            if (number < nextRow || number > kLastSheetRow) number = nextRow;
            for (; nextRow < number; ++nextRow) visit(WorkbookRow{});
            ReadRow(xml, row);
            visit(row);
            nextRow = number + 1;
        }
        if (!xml.ErrorText().empty())
            return Fault{"The sheet " + name + " of the workbook " + path_ + " cannot be read: " + xml.ErrorText()};
        return true;
    }

private:
    // A part unpacked whole (nullopt when the workbook has none of that name); a part
    // that unpacks to more than the limit is a fault, found before it is held.
    Result<std::optional<QByteArray>> ReadPart(const QString& name) {
        if (!zip_.setCurrentFile(name, QuaZip::csInsensitive)) return std::optional<QByteArray>();
        QuaZipFile file(&zip_);
        if (!file.open(QIODevice::ReadOnly)) return std::optional<QByteArray>();
        QByteArray bytes;
        char buffer[64 * 1024];
        for (;;) {
            const qint64 got = file.read(buffer, sizeof buffer);
            if (got <= 0) break;
            if (static_cast<std::uint64_t>(bytes.size() + got) > limits_.partBytes)
                return Fault{"The workbook " + path_ + " is too large to read: " + ToProgramText(name) +
                             " unpacks to more than " + std::to_string(limits_.partBytes / (1024 * 1024)) + " MB"};
            bytes.append(buffer, got);
        }
        return std::optional<QByteArray>(std::move(bytes));
    }

    Result<bool> Broken(const QString& part, const QXmlStreamReader& xml) {
        return Fault{"The workbook " + path_ + " cannot be read (" + ToProgramText(part) +
                     "): " + ToProgramText(xml.errorString())};
    }

    // Relationship id -> part name, of the relationships part beside a part.
    QHash<QString, QString> ReadRelationships(const QString& relsPart, const QString& folder) {
        QHash<QString, QString> targets;
        Result<std::optional<QByteArray>> part = ReadPart(relsPart);
        if (!part || !*part) return targets;
        QXmlStreamReader xml(**part);
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

    Result<bool> ReadSheetList() {
        QString workbookPart = QStringLiteral("xl/workbook.xml");
        QHash<QString, QString> root = ReadRelationships(QStringLiteral("_rels/.rels"), QString());
        for (auto it = root.cbegin(); it != root.cend(); ++it)
            if (it.value().endsWith(u"workbook.xml", Qt::CaseInsensitive)) workbookPart = it.value();
        QString folder = workbookPart.left(workbookPart.lastIndexOf(u'/') + 1);
        QHash<QString, QString> rels = ReadRelationships(
            folder + QStringLiteral("_rels/") + workbookPart.mid(folder.size()) + QStringLiteral(".rels"), folder);
        Result<std::optional<QByteArray>> part = ReadPart(workbookPart);
        if (!part) return part.fault();
        if (!*part) return Fault{"The file " + path_ + " is not an Excel workbook (.xlsx): it has no workbook part"};
        QXmlStreamReader xml(**part);
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

    Result<bool> ReadSharedStrings() {
        Result<std::optional<QByteArray>> part = ReadPart(QStringLiteral("xl/sharedStrings.xml"));
        if (!part) return part.fault();
        if (!*part) return true;  // a workbook without text
        XmlScanner xml(AsView(**part));
        while (true) {
            XmlScanner::Token token = xml.Next();
            if (token == XmlScanner::Token::EndOfDocument || token == XmlScanner::Token::Error) break;
            if (token == XmlScanner::Token::StartElement && xml.Name() == "si") strings_.push_back(StringItemText(xml));
        }
        if (!xml.ErrorText().empty())
            return Fault{"The workbook " + path_ + " cannot be read (xl/sharedStrings.xml): " + xml.ErrorText()};
        return true;
    }

    Result<bool> ReadStyles() {
        Result<std::optional<QByteArray>> part = ReadPart(QStringLiteral("xl/styles.xml"));
        if (!part) return part.fault();
        if (!*part) return true;
        QXmlStreamReader xml(**part);
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

    static CellType TypeOf(std::string_view t) {
        if (t.empty() || t == "n") return CellType::Number;
        if (t == "s") return CellType::Shared;
        if (t == "str" || t == "inlineStr") return CellType::Text;
        if (t == "b") return CellType::Boolean;
        if (t == "d") return CellType::IsoDate;
        return CellType::Error;
    }

    // Reads one <row> to its end into row.
    void ReadRow(XmlScanner& xml, WorkbookRow& row) {
        row.clear();
        int depth = 0;
        while (true) {
            XmlScanner::Token token = xml.Next();
            if (token == XmlScanner::Token::EndElement && depth-- == 0) break;
            if (token == XmlScanner::Token::EndOfDocument || token == XmlScanner::Token::Error) return;
            if (token != XmlScanner::Token::StartElement) continue;
            ++depth;
            if (xml.Name() != "c") continue;
            int column = ColumnOfReference(xml.Attribute("r").value_or(""));
            CellType type = TypeOf(xml.Attribute("t").value_or(""));
            int style = IntegerOf(xml.Attribute("s").value_or(""), 0);
            if (column < 0) column = static_cast<int>(row.size());
            if (static_cast<size_t>(column) >= row.size()) row.resize(static_cast<size_t>(column) + 1);
            ReadCell(xml, type, style, row[static_cast<size_t>(column)]);
            --depth;  // ReadCell consumed the cell's end
        }
        while (!row.empty() && row.back().kind == WorkbookCell::Kind::Empty) row.pop_back();
    }

    // The number in the text (spaces around it allowed), or nothing.
    static std::optional<double> NumberOf(std::string_view text) {
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
        double value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
        return value;
    }

    // The cell's <v> text and inline string, read to the cell's end.
    struct CellContent {
        bool hasValue = false;
        std::string value;
        std::optional<std::string> inlineText;
    };

    static CellContent ReadCellContent(XmlScanner& xml) {
        CellContent content;
        int depth = 0;
        bool inValue = false;
        while (true) {
            XmlScanner::Token token = xml.Next();
            if (token == XmlScanner::Token::EndOfDocument || token == XmlScanner::Token::Error) break;
            if (token == XmlScanner::Token::EndElement) {
                if (depth-- == 0) break;
                inValue = false;
            } else if (token == XmlScanner::Token::StartElement) {
                if (xml.Name() == "is") {
                    content.inlineText = StringItemText(xml);
                    continue;
                }
                ++depth;
                inValue = depth == 1 && xml.Name() == "v";
                content.hasValue |= inValue;
            } else if (inValue) {
                content.value += xml.Text();
            }
        }
        return content;
    }

    // Reads one <c> to its end.
    void ReadCell(XmlScanner& xml, CellType type, int style, WorkbookCell& cell) {
        cell = WorkbookCell{};
        CellContent content = ReadCellContent(xml);
        if (content.inlineText) {
            cell.kind = WorkbookCell::Kind::Text;
            cell.text = std::move(*content.inlineText);
        }
        if (!content.hasValue) return;
        switch (type) {
            case CellType::Shared: {
                std::optional<double> index = NumberOf(content.value);
                if (index && *index >= 0 && *index < static_cast<double>(strings_.size())) {
                    cell.kind = WorkbookCell::Kind::Text;
                    cell.text = strings_[static_cast<size_t>(*index)];
                }
                break;
            }
            case CellType::Text:
                cell.kind = WorkbookCell::Kind::Text;
                cell.text = std::move(content.value);
                break;
            case CellType::Boolean:
                cell.kind = WorkbookCell::Kind::Boolean;
                cell.number = NumberOf(content.value) == 1.0 ? 1 : 0;
                break;
            case CellType::IsoDate:
                if (std::optional<double> day = ParseIsoDateTime(content.value)) {
                    cell.kind = WorkbookCell::Kind::DateTime;
                    cell.number = *day;
                }
                break;
            case CellType::Number:
                if (std::optional<double> number = NumberOf(content.value)) {
                    bool date = IsDateStyle(style);
                    cell.kind = date ? WorkbookCell::Kind::DateTime : WorkbookCell::Kind::Number;
                    cell.number = date ? DayNumberOfSerial(*number, date1904_) : *number;
                }
                break;
            case CellType::Error: break;  // #N/A and the like read as empty cells
        }
    }

    std::string path_;  // as messages name it
    WorkbookLimits limits_;
    QuaZip zip_;
    std::vector<std::string> names_;
    std::vector<QString> parts_;
    std::vector<std::string> strings_;
    std::vector<bool> dateStyles_;  // by cell style index
    bool date1904_ = false;
};

}  // namespace

Result<std::unique_ptr<Workbook>> OpenXlsxWorkbook(const WorkbookSource& source, const WorkbookLimits& limits) {
    auto workbook = std::make_unique<XlsxWorkbook>(source, limits);
    Result<bool> opened = workbook->Open();
    if (!opened) return Fault{opened.error()};
    return std::unique_ptr<Workbook>(std::move(workbook));
}

}  // namespace tidemark
