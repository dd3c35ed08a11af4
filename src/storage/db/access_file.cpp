#include "storage/db/access_file.h"

#include <mdbtools.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace tidemark {

namespace {

struct MdbCloser {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableDefFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using MdbFileHandle = std::unique_ptr<MdbHandle, MdbCloser>;
using MdbTable = std::unique_ptr<MdbTableDef, TableDefFreer>;

// Memo fields longer than this are cut by libmdb: the 65,535 characters Access itself
// lets a user type, as UTF-8 of mostly one-byte characters. libmdb allocates this much
// for every text it converts, so it is not made larger than needed.
constexpr size_t kBindSize = 64 * 1024;

enum class FieldRead { Integer, Real, DateTime, Money, Text, Number, Blob, Ole };

FieldRead ReadFor(int type) {
    switch (type) {
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT: return FieldRead::Integer;
        case MDB_FLOAT:
        case MDB_DOUBLE: return FieldRead::Real;
        case MDB_DATETIME: return FieldRead::DateTime;
        case MDB_MONEY: return FieldRead::Money;
        case MDB_BOOL:
        case MDB_NUMERIC: return FieldRead::Number;
        case MDB_BINARY: return FieldRead::Blob;
        case MDB_OLE: return FieldRead::Ole;
        default: return FieldRead::Text;  // text, memo, replication ids, complex
    }
}

CopyColumnType TypeFor(FieldRead read) {
    switch (read) {
        case FieldRead::Integer: return CopyColumnType::Integer;
        case FieldRead::Real:
        case FieldRead::Money:
        case FieldRead::Number: return CopyColumnType::Real;
        case FieldRead::DateTime: return CopyColumnType::DateTime;
        case FieldRead::Text: return CopyColumnType::Text;
        case FieldRead::Blob:
        case FieldRead::Ole: return CopyColumnType::Blob;
    }
    return CopyColumnType::Untyped;
}

// An OLE date before 30 December 1899 counts its days backwards but its time of day
// forwards (-1.25 is 29 December 06:00); day numbers of the program run straight on.
double StraightDayNumber(double ole) {
    if (ole >= 0) return ole;
    double days = std::trunc(ole);
    return days + (days - ole);
}

struct BoundColumn {
    MdbColumn* column = nullptr;
    FieldRead read = FieldRead::Text;
    std::unique_ptr<char[]> text;  // libmdb's text of the field, for the reads that need it
    int length = 0;
};

class TableReader {
public:
    TableReader(MdbHandle* mdb, MdbTableDef* table) : mdb_(mdb), table_(table) {}

    Result<bool> Bind(std::vector<CopyColumn>& columns) {
        mdb_read_columns(table_);
        bound_.resize(table_->num_cols);
        for (unsigned int i = 0; i < table_->num_cols; ++i) {
            BoundColumn& b = bound_[i];
            b.column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
            b.read = ReadFor(b.column->col_type);
            columns.push_back({b.column->name, TypeFor(b.read)});
            // Fixed-size numbers are read from the row itself: no text made and parsed
            // again, and no decimal comma under a locale that writes one.
            if (b.read == FieldRead::Text || b.read == FieldRead::Number || b.read == FieldRead::Blob ||
                b.read == FieldRead::Ole) {
                b.text.reset(new char[kBindSize]);  // not cleared: libmdb writes every value whole
                b.text[0] = 0;
                mdb_bind_column(table_, static_cast<int>(i) + 1, b.text.get(), &b.length);
            }
        }
        return true;
    }

    bool Next() { return mdb_fetch_row(table_) != 0; }

    void AddFields(SqliteCopy& copy) {
        for (BoundColumn& b : bound_) AddField(b, copy);
    }

private:
    void AddField(BoundColumn& b, SqliteCopy& copy) {
        const MdbColumn& col = *b.column;
        int start = col.cur_value_start;
        if (col.col_type != MDB_BOOL && col.cur_value_len == 0) return copy.AddNull();
        void* row = mdb_->pg_buf;
        switch (b.read) {
            case FieldRead::Integer:
                if (col.col_type == MDB_BYTE) return copy.AddInteger(mdb_->pg_buf[start]);
                if (col.col_type == MDB_INT) return copy.AddInteger(mdb_get_int16(row, start));
                return copy.AddInteger(static_cast<int32_t>(mdb_get_int32(row, start)));
            case FieldRead::Real:
                if (col.col_type == MDB_FLOAT) return copy.AddReal(mdb_get_single(row, start));
                return copy.AddReal(mdb_get_double(row, start));
            case FieldRead::DateTime: return copy.AddDateTime(StraightDayNumber(mdb_get_double(row, start)));
            case FieldRead::Money: {
                int64_t units = 0;
                std::memcpy(&units, mdb_->pg_buf + start, sizeof units);  // little-endian, as the file
                return copy.AddReal(static_cast<double>(units) / 10000.0);
            }
            case FieldRead::Number: {
                if (b.length == 0) return copy.AddNull();
                char* end = nullptr;
                double value = std::strtod(b.text.get(), &end);
                if (end == b.text.get()) return copy.AddText(std::string_view(b.text.get(), b.length));
                return copy.AddReal(value);
            }
            case FieldRead::Text: return copy.AddText(std::string_view(b.text.get(), static_cast<size_t>(b.length)));
            case FieldRead::Blob: return copy.AddBlob(std::string_view(b.text.get(), static_cast<size_t>(b.length)));
            case FieldRead::Ole: {
                size_t size = 0;
                void* bytes = mdb_ole_read_full(mdb_, b.column, &size);
                if (!bytes) return copy.AddNull();
                copy.AddBlob(std::string_view(static_cast<const char*>(bytes), size));
                std::free(bytes);
                return;
            }
        }
    }

    MdbHandle* mdb_;
    MdbTableDef* table_;
    std::vector<BoundColumn> bound_;
};

Result<bool> CopyTable(MdbHandle* mdb, MdbCatalogEntry* entry, SqliteCopy& copy) {
    MdbTable table(mdb_read_table(entry));
    std::string name = entry->object_name;
    if (!table) return Fault{"Cannot read the table " + name + " of the Access file"};
    TableReader reader(mdb, table.get());
    std::vector<CopyColumn> columns;
    Result<bool> bound = reader.Bind(columns);
    if (!bound) return bound;
    Result<bool> begun = copy.BeginTable(name, columns);
    if (!begun) return begun;
    mdb_rewind_table(table.get());
    while (reader.Next()) {
        reader.AddFields(copy);
        Result<bool> added = copy.EndRow();
        if (!added) return added;
    }
    return copy.EndTable();
}

bool Wanted(const char* name, const std::vector<std::string>& only) {
    if (only.empty()) return true;
    for (const std::string& table : only)
        if (g_ascii_strcasecmp(table.c_str(), name) == 0) return true;
    return false;
}

}  // namespace

Result<bool> CopyAccessFile(const std::string& path, SqliteCopy& copy, const std::vector<std::string>& only) {
    MdbFileHandle mdb(mdb_open(path.c_str(), MDB_NOFLAGS));
    if (!mdb) return Fault{"The file " + path + " is not an Access database (.mdb, .accdb) that can be read"};
    mdb_set_bind_size(mdb.get(), kBindSize);
    mdb_set_boolean_fmt_numbers(mdb.get());
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE))
        return Fault{"Cannot read the list of tables of the Access file " + path};
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry) || !Wanted(entry->object_name, only))
            continue;
        Result<bool> copied = CopyTable(mdb.get(), entry, copy);
        if (!copied) return Fault{copied.error() + " (" + path + ")"};
    }
    return true;
}

}  // namespace tidemark
