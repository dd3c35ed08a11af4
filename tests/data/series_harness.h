#pragma once
// A program state with one page over a real database, for fetching graph slots the
// way the program does. The database is a backend the test fills with SQL; the same
// cases run on SQLite (unit tests), PostgreSQL and MariaDB through ODBC (integration
// tests).
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/daynum.h"
#include "core/vbtext.h"
#include "data/connection_rules.h"
#include "data/database_access.h"
#include "data/getvalues.h"
#include "data/program_state.h"
#include "support/recording_host.h"

namespace tidemark::seriestest {

class SeriesBackend {
public:
    virtual ~SeriesBackend() = default;
    virtual std::string SetUpError() const = 0;  // empty when ready
    virtual std::string ConnectionString() const = 0;
    virtual std::string ProgramFolder() const = 0;
    virtual bool Exec(const std::string& sql, std::string* error) = 0;
};

inline double At(int year, int month, int day, int hour = 0, int minute = 0) {
    return MakeDayNumber(year, month, day, hour, minute, 0);
}

// 'YYYY-MM-DD HH:MM:SS', the stored form of every engine's date-times.
inline std::string SqlTime(double day) {
    CivilTime t = ToCivil(day);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "'%04d-%02d-%02d %02d:%02d:%02d'", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buffer;
}

struct Row {
    double time;
    std::optional<double> value;  // nullopt: NULL
};

inline std::string InsertRows(const std::string& table, int dsid, const std::vector<Row>& rows) {
    std::string sql = "insert into " + table + " values ";
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i) sql += ", ";
        sql += "(" + std::to_string(dsid) + ", " + SqlTime(rows[i].time) + ", " +
               (rows[i].value ? CStr(*rows[i].value) : std::string("NULL")) + ")";
    }
    return sql + ";";
}

// "mm-dd hh:nn value" per point 1 .. count, or per daily point 1 .. count.
inline std::vector<std::string> Describe(const PointBuffer& points, int count) {
    std::vector<std::string> out;
    for (int i = 1; i <= count && i <= points.Room(); ++i)
        out.push_back(FormatDate(points[static_cast<size_t>(i)].time, "mm-dd hh:nn") + " " +
                      CStr(points[static_cast<size_t>(i)].value));
    return out;
}

class SeriesHarness {
public:
    // A window of `span` days from `start` (end = start + span); the clock reads `now`.
    SeriesHarness(SeriesBackend& backend, double start, int span, double now) : backend_(backend), host(now) {
        state.programFolder = backend.ProgramFolder();
        state.settings.connectionstring = backend.ConnectionString();
        ApplyConnectionRules(state.settings, state.programFolder);
        SizePageSet(state.pages, 1);
        state.window.start = start;
        state.window.end = start + span;
        state.window.span = static_cast<int16_t>(span);
        Resize();
    }

    // Sizes the store for the window and the present settings (pages 0 and 1 only: the
    // tests use page 1).
    void Resize() {
        int capacity = PointCapacityFor(state.window.span, state.settings.plotunitvalues);
        int room = PointRoomFor(state.window.span, state.settings.plotunitvalues, !state.frequency.Empty());
        state.store.Size(1, room, state.window.span + 2, capacity);
    }

    bool Fill(const std::string& sql) {
        std::string error;
        bool ok = backend_.Exec(sql, &error);
        EXPECT_TRUE(ok) << error;
        return ok;
    }
    bool Fill(const std::string& table, int dsid, const std::vector<Row>& rows) {
        return Fill(InsertRows(table, dsid, rows));
    }

    GraphDef& Define(int slot, int dsid, const std::string& parametername = "Flow",
                     FreqType freqtype = FreqType::Plain) {
        GraphDef& graph = state.pages.Graph(1, slot);
        graph.page = 1;
        graph.slot = static_cast<int16_t>(slot);
        graph.dsid = static_cast<int16_t>(dsid);
        graph.parametername = parametername;
        graph.freqtype = freqtype;
        return graph;
    }

    SlotSeries& Slot(int slot) { return state.store.At(1, slot); }

    // The fetch on a connection of the test's own; the fault's description or empty.
    std::string Fetch(int slot, const FetchOptions& options = {}) {
        Result<std::unique_ptr<Database>> db = OpenDatabase(state.settings, state.programFolder);
        EXPECT_TRUE(db.ok()) << db.error();
        if (!db) return db.error();
        return FetchSeries(state, host, *db.value(), 1, slot, options).error();
    }

    // Getvalues1 on its own connection; messages land in host.messages.
    void Getvalues(int slot, const FetchOptions& options = {}) { Getvalues1(state, host, 1, slot, options); }

    std::vector<std::string> Points(int slot) { return Describe(Slot(slot).points, Slot(slot).pointCount); }
    std::vector<std::string> Days(int slot, int count) { return Describe(Slot(slot).dailyPoints, count); }

    ProgramState state;

private:
    SeriesBackend& backend_;

public:
    RecordingHost host;
};

}  // namespace tidemark::seriestest
