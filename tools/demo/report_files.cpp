#include "report_files.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "demo_series.h"
#include "demo_time.h"
#include "pdf_file.h"
#include "text_files.h"

namespace tidemark::demo {
namespace {

// The latest written value of a series at or before now; NaN when there is none.
double Latest(const DemoData& data, int dsid) {
    auto it = data.unitValues.find(dsid);
    if (it == data.unitValues.end()) return std::nan("");
    const std::vector<double>& values = it->second;
    for (int i = std::min<int>(data.timeline.NowIndex(), static_cast<int>(values.size()) - 1); i >= 0; --i)
        if (!std::isnan(values[static_cast<size_t>(i)])) return values[static_cast<size_t>(i)];
    return std::nan("");
}

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

std::string PdfText(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '(' || c == ')' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

uint32_t Crc32(const std::string& bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A zip archive of stored (uncompressed) entries.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string out, directory;
    for (const auto& [name, bytes] : entries) {
        uint32_t offset = static_cast<uint32_t>(out.size()), crc = Crc32(bytes);
        uint32_t size = static_cast<uint32_t>(bytes.size());
        auto header = [&](std::string& to, bool central) {
            Put32(to, central ? 0x02014b50 : 0x04034b50);
            if (central) Put16(to, 20);  // made by
            Put16(to, 20);               // needed to extract
            Put16(to, 0);                // flags
            Put16(to, 0);                // stored
            Put16(to, 0);                // time
            Put16(to, 0x21);             // date: 1 January 1980
            Put32(to, crc);
            Put32(to, size);
            Put32(to, size);
            Put16(to, static_cast<uint32_t>(name.size()));
            Put16(to, 0);  // extra
            if (central) {
                Put16(to, 0);  // comment
                Put16(to, 0);  // disk
                Put16(to, 0);  // internal attributes
                Put32(to, 0);  // external attributes
                Put32(to, offset);
            }
            to += name;
        };
        header(out, false);
        out += bytes;
        header(directory, true);
    }
    uint32_t start = static_cast<uint32_t>(out.size());
    out += directory;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(entries.size()));
    Put16(out, static_cast<uint32_t>(entries.size()));
    Put32(out, static_cast<uint32_t>(directory.size()));
    Put32(out, start);
    Put16(out, 0);
    return out;
}

std::string InlineCell(const std::string& ref, const std::string& text) {
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + MarkupEscaped(text) + "</t></is></c>";
}

std::string NumberCell(const std::string& ref, double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v);
    return "<c r=\"" + ref + "\"><v>" + text + "</v></c>";
}

}  // namespace

std::string ReportPdf(const DemoData& data) {
    std::vector<std::string> lines = {"River and Reservoir Report", "",
                                      "Issued " + ShortDateTimeText(data.timeline.now), ""};
    for (const SeriesInfo& s : DemoSeries()) {
        double v = Latest(data, s.dsid);
        if (std::isnan(v) || lines.size() > 30) continue;
        lines.push_back(s.siteName + "  " + s.datatypeName + ": " + Number(v) + " " + s.unitName);
    }
    // A pale page with a dark blue heading band, then the lines in Helvetica.
    std::string content = "0.96 0.97 1 rg 0 0 612 792 re f 0.1 0.2 0.5 rg 0 712 612 80 re f\n";
    content += "BT 1 1 1 rg /F1 26 Tf 48 742 Td (" + PdfText(lines[0]) + ") Tj ET\n";
    content += "BT 0 0 0 rg /F1 12 Tf 48 690 Td 16 TL\n";
    for (size_t i = 1; i < lines.size(); ++i) content += "(" + PdfText(lines[i]) + ") Tj T*\n";
    content += "ET\n";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> "
        ">> >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    return PdfFile(objects);
}

std::string ReadingsWorkbook(const DemoData& data) {
    std::string rows = "<row r=\"1\">" + InlineCell("A1", "Series") + InlineCell("B1", "Site") +
                       InlineCell("C1", "Reading") + InlineCell("D1", "Value") + InlineCell("E1", "Unit") + "</row>";
    int r = 1;
    for (const SeriesInfo& s : DemoSeries()) {
        double v = Latest(data, s.dsid);
        if (std::isnan(v)) continue;
        std::string n = std::to_string(++r);
        rows += "<row r=\"" + n + "\">" + NumberCell("A" + n, s.dsid) + InlineCell("B" + n, s.siteName) +
                InlineCell("C" + n, s.datatypeName) + NumberCell("D" + n, v) + InlineCell("E" + n, s.unitName) +
                "</row>";
    }
    const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    return Zip({
        {"[Content_Types].xml",
         xml + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
               "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
               "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
               "<Override PartName=\"/xl/workbook.xml\" "
               "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
               "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
               "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
               "</Types>"},
        {"_rels/.rels", xml +
                            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                            "<Relationship Id=\"rId1\" Type=\"" +
                            rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml",
         xml + "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel +
             "\"><sheets><sheet name=\"Readings\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         xml +
             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
             "<Relationship Id=\"rId1\" Type=\"" +
             rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml",
         xml + "<worksheet xmlns=\"" + main + "\"><sheetData>" + rows + "</sheetData></worksheet>"},
    });
}

}  // namespace tidemark::demo
