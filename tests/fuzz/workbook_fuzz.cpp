// libFuzzer target for the .xlsx workbook reader: any bytes, given as an .xlsx file,
// open or fail with a message naming the file, and a workbook that opens reads every
// sheet and copies into the in-memory database the program queries, without a crash,
// a hang or a leak. (.xls files are read by FreeXL itself, whose own faults on damaged
// files this target would find rather than the program's: it is not fuzzed here.)
#include <string>

#include "fuzz_folder.h"
#include "storage/db/sqlite_copy.h"
#include "storage/db/workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tidemark;
    const std::string path = fuzz::Folder("workbook") + "book.xlsx";
    fuzz::WriteInput(path, data, size);
    auto opened = OpenWorkbook(path);
    if (!opened) {
        if (opened.error().find(path) == std::string::npos) __builtin_trap();
        return 0;
    }
    Workbook& book = *opened.value();
    const int sheets = static_cast<int>(book.SheetNames().size());
    for (int sheet = 0; sheet < sheets; ++sheet) {
        size_t cells = 0;
        (void)book.ReadRows(sheet, [&](const WorkbookRow& row) { cells += row.size(); });
    }
    for (bool header : {true, false}) {
        auto copy = SqliteCopy::Create();
        if (!copy) __builtin_trap();
        (void)CopyWorkbook(book, header, copy.value());
    }
    return 0;
}
