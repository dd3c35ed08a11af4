// The workbook reader on files made here: a hand-written .xlsx whose parts use every
// cell form the reader must know, .xls files from xlwt, and workbooks served as
// databases, copied afresh when they change and refused while locked.
#include <gtest/gtest.h>
#include <quazip.h>
#include <quazipfile.h>
#include <sys/stat.h>

#include <QtCore/QString>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/daynum.h"
#include "storage/db/database.h"
#include "storage/db/file_database.h"
#include "storage/db/workbook.h"
#include "support/child_process.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace tidemark {
namespace {

using testsupport::TempFolder;
using Kind = WorkbookCell::Kind;

// Writes a zip of the given parts: the form of an .xlsx file.
bool WriteZip(const std::string& path, const std::vector<std::pair<QString, std::string>>& parts) {
    QuaZip zip(QString::fromStdString(path));
    if (!zip.open(QuaZip::mdCreate)) return false;
    for (const auto& [name, text] : parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name))) return false;
        file.write(text.data(), static_cast<qint64>(text.size()));
        file.close();
    }
    zip.close();
    return zip.getZipError() == 0;
}

const char kContentTypes[] =
    R"(<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>)";
const char kRootRels[] =
    R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";

std::string WorkbookXml(bool date1904) {
    return std::string(
               R"(<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
               R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)") +
           (date1904 ? R"(<workbookPr date1904="1"/>)" : "") +
           R"(<sheets><sheet name="rsite" sheetId="1" r:id="rId7"/><sheet name="Notes" sheetId="2" r:id="rId8"/></sheets></workbook>)";
}

const char kWorkbookRels[] =
    R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId8" Target="worksheets/second.xml" Type="x"/>)"
    R"(<Relationship Id="rId7" Target="/xl/worksheets/first.xml" Type="x"/></Relationships>)";

// Shared string 1 is rich text with a phonetic run that is not part of the text.
const char kSharedStrings[] =
    R"(<?xml version="1.0"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<si><t>datatype_site_id</t></si><si><r><t>site_</t></r><r><rPr><b/></rPr><t>name</t></r><rPh><t>x</t></rPh></si>)"
    R"(<si><t xml:space="preserve"> R&#237;o &amp; Co </t></si><si><t>date_time</t></si></sst>)";

// Styles: 0 general, 1 built-in date 14, 2 a custom date-time format, 3 a custom number
// format with a quoted "d" and an escaped \m that are not date letters.
const char kStyles[] =
    R"(<?xml version="1.0"?><styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<numFmts count="2"><numFmt numFmtId="164" formatCode="yyyy\-mm\-dd\ hh:mm:ss"/>)"
    R"(<numFmt numFmtId="165" formatCode="0.00&quot; d&quot;\m"/></numFmts>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="4"><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="165"/></cellXfs></styleSheet>)";

// Row 1 names, row 2 every kind of cell, row 3 missing (an empty row), row 4 cells
// without references and serials around the 1900 leap day.
const char kFirstSheet[] =
    R"(<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
    R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s"><v>3</v></c>)"
    R"(<c r="D1" t="inlineStr"><is><t>flag</t></is></c><c r="E1" t="inlineStr"><is><t>amount</t></is></c></row>)"
    R"(<row r="2"><c r="A2"><v>1234</v></c><c r="B2" t="s"><v>2</v></c><c r="C2" s="2"><v>43891.5</v></c>)"
    R"(<c r="D2" t="b"><v>1</v></c><c r="E2" s="3"><v>2.5</v></c></row>)"
    R"(<row r="4"><c><v>59</v></c><c t="str"><v>formula text</v></c><c s="1"><v>59</v></c><c t="e"><v>#N/A</v></c></row>)"
    R"(<row r="5"><c r="A5"><v>60</v></c><c r="C5" s="1"><v>60</v></c></row>)"
    R"(<row r="6"><c r="A6"><v>61</v></c><c r="C6" s="1"><v>61</v></c><c r="E6"/></row>)"
    R"(</sheetData></worksheet>)";

const char kSecondSheet[] =
    R"(<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
    R"(<row r="2"><c r="B2" t="inlineStr"><is><r><t>only </t></r><r><t>cell</t></r></is></c></row>)"
    R"(</sheetData></worksheet>)";

bool WriteHandMadeXlsx(const std::string& path, bool date1904 = false) {
    return WriteZip(path, {{"[Content_Types].xml", kContentTypes},
                           {"_rels/.rels", kRootRels},
                           {"xl/workbook.xml", WorkbookXml(date1904)},
                           {"xl/_rels/workbook.xml.rels", kWorkbookRels},
                           {"xl/sharedStrings.xml", kSharedStrings},
                           {"xl/styles.xml", kStyles},
                           {"xl/worksheets/first.xml", kFirstSheet},
                           {"xl/worksheets/second.xml", kSecondSheet}});
}

WorkbookCell Number(double x) { return {Kind::Number, x, {}}; }
WorkbookCell Text(std::string s) { return {Kind::Text, 0, std::move(s)}; }
WorkbookCell Date(double day) { return {Kind::DateTime, day, {}}; }
WorkbookCell Empty() { return {}; }

TEST(XlsxReader, ReadsEveryCellForm) {
    TempFolder folder;
    std::string path = folder.File("book.xlsx");
    ASSERT_TRUE(WriteHandMadeXlsx(path));
    Result<std::unique_ptr<Workbook>> book = OpenWorkbook(path);
    ASSERT_TRUE(book.ok()) << book.error();
    // Sheets in the workbook's order, whatever order their relationships come in.
    EXPECT_EQ(book.value()->SheetNames(), (std::vector<std::string>{"rsite", "Notes"}));
    Result<std::vector<WorkbookRow>> rows = book.value()->ReadSheet(0);
    ASSERT_TRUE(rows.ok()) << rows.error();
    ASSERT_EQ(rows->size(), 6u);
    EXPECT_EQ(rows.value()[0], (WorkbookRow{Text("datatype_site_id"), Text("site_name"), Text("date_time"),
                                            Text("flag"), Text("amount")}));
    EXPECT_EQ(rows.value()[1],
              (WorkbookRow{Number(1234), Text(" R\xC3\xADo & Co "), Date(MakeDayNumber(2020, 3, 1, 12, 0, 0)),
                           WorkbookCell{Kind::Boolean, 1, {}}, Number(2.5)}));
    EXPECT_EQ(rows.value()[2], WorkbookRow{});
    // An error cell reads as empty; serial 59 is 28 February 1900, the leap day that never
    // was (60) reads as 28 February too, and 61 is 1 March.
    EXPECT_EQ(rows.value()[3], (WorkbookRow{Number(59), Text("formula text"), Date(MakeDayNumber(1900, 2, 28))}));
    EXPECT_EQ(rows.value()[4], (WorkbookRow{Number(60), Empty(), Date(MakeDayNumber(1900, 2, 28))}));
    EXPECT_EQ(rows.value()[5], (WorkbookRow{Number(61), Empty(), Date(MakeDayNumber(1900, 3, 1))}));

    Result<std::vector<WorkbookRow>> notes = book.value()->ReadSheet(1);
    ASSERT_TRUE(notes.ok()) << notes.error();
    EXPECT_EQ(notes.value(), (std::vector<WorkbookRow>{{}, {Empty(), Text("only cell")}}));
    EXPECT_FALSE(book.value()->ReadSheet(2).ok());
}

// The hand-made workbook with its first sheet replaced.
bool WriteXlsxWithFirstSheet(const std::string& path, const std::string& sheet) {
    return WriteZip(path, {{"_rels/.rels", kRootRels},
                           {"xl/workbook.xml", WorkbookXml(false)},
                           {"xl/_rels/workbook.xml.rels", kWorkbookRels},
                           {"xl/sharedStrings.xml", kSharedStrings},
                           {"xl/worksheets/first.xml", sheet},
                           {"xl/worksheets/second.xml", kSecondSheet}});
}

Result<std::vector<WorkbookRow>> FirstSheetOf(const std::string& path) {
    Result<std::unique_ptr<Workbook>> book = OpenWorkbook(path);
    if (!book) return Fault{book.error()};
    return book.value()->ReadSheet(0);
}

TEST(XlsxReader, PrefixedSheetsReadAndDamagedOnesAreTold) {
    TempFolder folder;
    std::string path = folder.File("book.xlsx");
    // Writers of the .NET kind prefix every element; comments and CDATA may stand anywhere.
    ASSERT_TRUE(WriteXlsxWithFirstSheet(
        path, R"(<?xml version="1.0"?><x:worksheet xmlns:x="urn:x"><x:sheetData><!-- a <row> in a comment -->)"
              R"(<x:row x:r='1'><x:c r="B1" t="inlineStr"><x:is><x:t><![CDATA[a<b]]></x:t></x:is></x:c>)"
              R"(<x:c r="C1"><x:f>A1*2</x:f><x:v> 7.5 </x:v></x:c></x:row></x:sheetData></x:worksheet>)"));
    Result<std::vector<WorkbookRow>> rows = FirstSheetOf(path);
    ASSERT_TRUE(rows.ok()) << rows.error();
    EXPECT_EQ(rows.value(), (std::vector<WorkbookRow>{{Empty(), Text("a<b"), Number(7.5)}}));

    const std::string head = R"(<worksheet><sheetData><row r="1"><c r="A1"><v>1</v></c>)";
    struct Damage {
        std::string sheet;
        std::string told;
    };
    for (const Damage& damage :
         {Damage{head, "The part ends inside the element <row>"},
          Damage{head + "</c></sheetData></worksheet>", "The end tag </c> closes no open element"},
          Damage{head + "<c r=\"B1></row></sheetData></worksheet>", "A tag is not closed"}}) {
        ASSERT_TRUE(WriteXlsxWithFirstSheet(path, damage.sheet));
        Result<std::vector<WorkbookRow>> damaged = FirstSheetOf(path);
        ASSERT_FALSE(damaged.ok()) << damage.sheet;
        EXPECT_NE(damaged.error().find("The sheet rsite of the workbook " + path + " cannot be read: " + damage.told),
                  std::string::npos)
            << damaged.error();
    }
    // A row number beyond the last row a sheet can have, or a column beyond XFD, does not
    // make the reader hand out a billion empty rows or cells.
    ASSERT_TRUE(WriteXlsxWithFirstSheet(
        path,
        R"(<worksheet><sheetData><row r="2000000000"><c r="ZZZZZZZZZZ1"><v>3</v></c></row></sheetData></worksheet>)"));
    rows = FirstSheetOf(path);
    ASSERT_TRUE(rows.ok()) << rows.error();
    EXPECT_EQ(rows.value(), (std::vector<WorkbookRow>{{Number(3)}}));
}

TEST(XlsxReader, APartThatUnpacksBeyondTheBoundIsRefusedByTheNameMessagesUse) {
    TempFolder folder;
    const std::string path = folder.File("bomb.xlsx");
    std::string rows;
    for (int r = 1; r <= 40000; ++r) rows += "<row r=\"" + std::to_string(r) + "\"><c><v>1</v></c></row>";
    // About a megabyte and a half of sheet, a few kilobytes of zip.
    ASSERT_TRUE(WriteXlsxWithFirstSheet(path, "<worksheet><sheetData>" + rows + "</sheetData></worksheet>"));
    const WorkbookSource source{path, WorkbookFormat::Xlsx, "readings.xlsx"};
    Result<std::unique_ptr<Workbook>> book = OpenWorkbook(source, WorkbookLimits{1024 * 1024});
    ASSERT_TRUE(book.ok()) << book.error();
    Result<std::vector<WorkbookRow>> sheet = book.value()->ReadSheet(0);
    ASSERT_FALSE(sheet.ok());
    EXPECT_EQ(sheet.error(),
              "The workbook readings.xlsx is too large to read: xl/worksheets/first.xml unpacks to more than 1 MB");
    // Under the default bound the same sheet reads whole.
    book = OpenWorkbook(source);
    ASSERT_TRUE(book.ok()) << book.error();
    sheet = book.value()->ReadSheet(0);
    ASSERT_TRUE(sheet.ok()) << sheet.error();
    EXPECT_EQ(sheet->size(), 40000u);
}

TEST(XlsxReader, Date1904WorkbooksCountFromTheirOwnStart) {
    TempFolder folder;
    std::string path = folder.File("mac.xlsx");
    ASSERT_TRUE(WriteHandMadeXlsx(path, true));
    Result<std::unique_ptr<Workbook>> book = OpenWorkbook(path);
    ASSERT_TRUE(book.ok()) << book.error();
    auto rows = book.value()->ReadSheet(0);
    ASSERT_TRUE(rows.ok());
    EXPECT_EQ(rows.value()[5][2], Date(MakeDayNumber(1904, 3, 2)));  // 1 January 1904 + 61 days
}

// The same cells written by xlwt into an .xls file: FreeXL tells dates by their format.
TEST(XlsReader, ReadsNumbersTextDatesAndGaps) {
    TempFolder folder;
    std::string path = folder.File("book.xls");
    std::string script =
        "import datetime, sys, xlwt\n"
        "b = xlwt.Workbook(encoding='utf-8'); s = b.add_sheet('rhour'); t = b.add_sheet('Other')\n"
        "d = xlwt.easyxf(num_format_str='yyyy-mm-dd hh:mm:ss')\n"
        "for c, n in enumerate(['datatype_site_id', 'date_time', 'value']): s.write(0, c, n)\n"
        "s.write(1, 0, 1234); s.write(1, 1, datetime.datetime(2020, 3, 1, 6, 30), d); s.write(1, 2, 2.25)\n"
        "s.write(3, 0, 1234); s.write(3, 1, datetime.datetime(1900, 3, 1), d)\n"
        "t.write(0, 0, 'R\\u00edo')\n"
        "b.save(sys.argv[1])\n";
    ASSERT_TRUE(folder.Write("make.py", script));
    auto r = testsupport::RunProgram({"/usr/bin/python3", folder.File("make.py"), path}, folder.File("make.log"), 60);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Result<std::unique_ptr<Workbook>> book = OpenWorkbook(path);
    ASSERT_TRUE(book.ok()) << book.error();
    EXPECT_EQ(book.value()->SheetNames(), (std::vector<std::string>{"rhour", "Other"}));
    auto rows = book.value()->ReadSheet(0);
    ASSERT_TRUE(rows.ok()) << rows.error();
    ASSERT_EQ(rows->size(), 4u);
    EXPECT_EQ(rows.value()[1], (WorkbookRow{Number(1234), Date(MakeDayNumber(2020, 3, 1, 6, 30, 0)), Number(2.25)}));
    EXPECT_EQ(rows.value()[2], WorkbookRow{});
    EXPECT_EQ(rows.value()[3], (WorkbookRow{Number(1234), Date(MakeDayNumber(1900, 3, 1))}));
    auto other = book.value()->ReadSheet(1);
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(other.value(), (std::vector<WorkbookRow>{{Text("R\xC3\xADo")}}));
}

std::string JetString(const std::string& path, const std::string& extra = "") {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Extended Properties=Excel 12.0;" + extra;
}

std::vector<std::string> RowsOf(Database& db, const std::string& statement) {
    Result<Recordset> rs = db.OpenRecordset(statement);
    EXPECT_TRUE(rs.ok()) << rs.error();
    std::vector<std::string> rows;
    if (!rs) return rows;
    for (; !rs->Eof(); rs->MoveNext()) {
        std::string row;
        for (int i = 0; i < rs->FieldCount(); ++i)
            row += (i ? "|" : "") + (rs->IsNull(i) ? std::string("NULL") : rs->Text(i).value());
        rows.push_back(row);
    }
    return rows;
}

TEST(WorkbookDatabase, SheetsAreTablesWithOrWithoutAHeaderRow) {
    TempFolder folder;
    std::string path = folder.File("book.xlsx");
    ASSERT_TRUE(WriteHandMadeXlsx(path));
    Result<std::unique_ptr<Database>> db = OpenConnection(JetString(path, "HDR=Yes;"), folder.Path());
    ASSERT_TRUE(db.ok()) << db.error();
    // The empty row is left out; the dates are schema text, and compare as dates.
    EXPECT_EQ(RowsOf(*db.value(),
                     "select datatype_site_id, site_name, date_time, flag from [rsite$] "
                     "where date_time between #01-Mar-2020# and #02-Mar-2020# order by site_name;"),
              (std::vector<std::string>{"1234| R\xEDo & Co |2020-03-01 12:00:00|1"}));
    EXPECT_EQ(RowsOf(*db.value(), "select count(*), count(site_name) from [rsite$];"),
              (std::vector<std::string>{"4|2"}));
    Result<Recordset> missing = db.value()->OpenRecordset("select * from [rnothing$];");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), "The workbook " + path + " has no sheet rnothing");

    // Without a header row the names are cells like the others and the columns F1, F2...
    Result<std::unique_ptr<Database>> plain = OpenConnection(JetString(path, "HDR=No;"), folder.Path());
    ASSERT_TRUE(plain.ok()) << plain.error();
    EXPECT_EQ(RowsOf(*plain.value(), "select F1, F4 from [rsite$] where F1 = 'datatype_site_id';"),
              (std::vector<std::string>{"datatype_site_id|flag"}));
    EXPECT_EQ(RowsOf(*plain.value(), "select F2 from [Notes$];"), (std::vector<std::string>{"only cell"}));
}

void SetModified(const std::string& path, std::filesystem::file_time_type when) {
    std::filesystem::last_write_time(path, when);
}

TEST(WorkbookDatabase, ACopyServesUntilTheFileChanges) {
    TempFolder folder;
    std::string path = folder.File("book.xlsx");
    ASSERT_TRUE(WriteHandMadeXlsx(path));
    long long before = FileCopiesMade();
    {
        auto db = OpenConnection(JetString(path), folder.Path());
        ASSERT_TRUE(db.ok()) << db.error();
    }
    auto again = OpenConnection(JetString(path), folder.Path());
    ASSERT_TRUE(again.ok()) << again.error();
    EXPECT_EQ(FileCopiesMade(), before + 1);

    // Bytes changed but size and time put back: the file is taken as unchanged, and the
    // copy still answers although the file no longer holds a workbook.
    auto modified = std::filesystem::last_write_time(path);
    uintmax_t size = std::filesystem::file_size(path);
    ASSERT_TRUE(folder.Write("book.xlsx", std::string(size, 'x')));
    SetModified(path, modified);
    auto stale = OpenConnection(JetString(path), folder.Path());
    ASSERT_TRUE(stale.ok()) << stale.error();
    EXPECT_EQ(RowsOf(*stale.value(), "select count(*) from [rsite$];"), (std::vector<std::string>{"4"}));
    EXPECT_EQ(FileCopiesMade(), before + 1);

    // A new time alone makes a fresh copy, which sees what the file now holds.
    SetModified(path, modified + std::chrono::seconds(2));
    auto broken = OpenConnection(JetString(path), folder.Path());
    ASSERT_FALSE(broken.ok());
    EXPECT_NE(broken.error().find("is not an Excel workbook"), std::string::npos) << broken.error();

    // Written again with other rows: the next connection reads them, and one already
    // open keeps the rows it had.
    ASSERT_TRUE(WriteHandMadeXlsx(path));
    auto fresh = OpenConnection(JetString(path), folder.Path());
    ASSERT_TRUE(fresh.ok()) << fresh.error();
    EXPECT_EQ(RowsOf(*fresh.value(), "select count(*) from [rsite$];"), (std::vector<std::string>{"4"}));
    EXPECT_EQ(RowsOf(*stale.value(), "select count(*) from [rsite$];"), (std::vector<std::string>{"4"}));
    EXPECT_EQ(FileCopiesMade(), before + 2);
}

TEST(WorkbookDatabase, AFileLockedByItsWriterIsTriedAgainThenRefused) {
    TempFolder folder;
    std::string path = folder.File("book.xlsx");
    ASSERT_TRUE(WriteHandMadeXlsx(path));
    // A writer holding a POSIX write lock on the whole file for a few seconds.
    std::string ready = folder.File("locked");
    std::string script =
        "import fcntl, sys, time\nf = open(sys.argv[1], 'r+')\nfcntl.lockf(f, fcntl.LOCK_EX)\n"
        "open(sys.argv[2], 'w').close()\ntime.sleep(float(sys.argv[3]))\n";
    ASSERT_TRUE(folder.Write("lock.py", script));
    testsupport::ChildProcess writer;
    std::string error;
    ASSERT_TRUE(
        writer.Start({"/usr/bin/python3", folder.File("lock.py"), path, ready, "30"}, folder.File("lock.log"), &error))
        << error;
    for (int i = 0; i < 100 && !std::filesystem::exists(ready); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(std::filesystem::exists(ready));
    auto start = std::chrono::steady_clock::now();
    auto locked = OpenConnection(JetString(path), folder.Path());
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(locked.ok());
    EXPECT_NE(locked.error().find("is locked"), std::string::npos) << locked.error();
    EXPECT_GE(waited, std::chrono::milliseconds(400));  // one more try after a short wait
    writer.Stop();

    // Once the writer is gone the file opens.
    auto open = OpenConnection(JetString(path), folder.Path());
    EXPECT_TRUE(open.ok()) << open.error();
}

}  // namespace
}  // namespace tidemark
