#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>

#include "core/daynum.h"
#include "core/vbtext.h"
#include "demo_support.h"

using namespace demo_test;
using tidemark::Val;

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(sep, start);
        out.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return out;
        start = at + 1;
    }
}

bool AllLinesEndCrLf(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    return !text.empty() && text.size() >= 2 && text.substr(text.size() - 2) == "\r\n";
}

struct SetupGraph {
    std::vector<std::string> fields;
    std::string DsidField() const { return fields[1]; }
    int Dsid() const { return static_cast<int>(Val(fields[1])); }
    bool Empty() const { return Dsid() == 0; }
    bool Web() const { return Dsid() == -1; }
    int Int(size_t i) const { return i < fields.size() ? static_cast<int>(Val(fields[i])) : 0; }
};

struct SetupPage {
    std::vector<std::string> fields;
    std::string line;
    std::vector<SetupGraph> slots;
    int Used() const {
        int n = 0;
        for (auto& g : slots) n += g.Empty() ? 0 : 1;
        return n;
    }
};

// Reads the page section the way the program classifies its lines.
std::vector<SetupPage> ReadPages(const std::vector<std::string>& lines) {
    std::vector<SetupPage> pages;
    for (size_t i = 12; i < lines.size() && lines[i].substr(0, 3) != "END"; ++i) {
        std::string line = lines[i];
        while (!line.empty() && line.back() == ';') line.pop_back();
        auto fields = Split(line, ';');
        if (fields.size() >= 5 && fields.size() <= 7) {
            pages.push_back({fields, lines[i], {}});
        } else if (fields.size() >= 8 && !pages.empty()) {
            pages.back().slots.push_back({fields});
        }
    }
    return pages;
}

class DemoFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() { folder_ = std::make_unique<GeneratedFolder>(); }
    static void TearDownTestSuite() { folder_.reset(); }
    void SetUp() override { ASSERT_EQ(folder_->run.status, 0) << folder_->run.err; }
    static std::unique_ptr<GeneratedFolder> folder_;
};
std::unique_ptr<GeneratedFolder> DemoFiles::folder_;

const char* const kHeader =
    "Page/Graph; dsid (, dsid2, run, alert); parametername; stationname; hrmarker; daymarker; logyscale; "
    "backcolor;back2color; hrcolor; daycolor; highwatch; lowwatch; watchcount; rank-1/cumulative2; freq type "
    "-1or-2/prob type 1or2/MAE3/ColorBand4; coeff1; coeff2; coeff3";

}  // namespace

TEST_F(DemoFiles, SetupTopSectionIsInTheSavedLayout) {
    std::string text = folder_->Text("Tidemark_setup.txt");
    ASSERT_TRUE(AllLinesEndCrLf(text));
    auto lines = tidemark::SplitLines(text);
    ASSERT_GT(lines.size(), 13u);
    EXPECT_EQ(lines[0], "Days = 7 ; End Day +2");
    EXPECT_EQ(lines[1], "Plot Unit Values = True");
    EXPECT_EQ(lines[2], "Include Daily Max/Min = True");
    EXPECT_TRUE(lines[4].rfind("Auto Paging = ", 0) == 0);
    EXPECT_EQ(Split(lines[5], ',').size(), 4u);
    EXPECT_EQ(lines[6], "Database Connection String= Provider=SQLite;Data Source=tidemark_demo.sqlite");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(Split(lines[8], ',').size(), 5u);
    EXPECT_EQ(lines[9], "Metric Units=False");
    EXPECT_EQ(lines[10], "");
    EXPECT_EQ(lines[11], kHeader);
    EXPECT_EQ(lines.back(), "END");
    EXPECT_EQ(text.find('\t'), std::string::npos);
}

TEST_F(DemoFiles, SetupPagesUseEveryGraphKind) {
    auto lines = tidemark::SplitLines(folder_->Text("Tidemark_setup.txt"));
    auto pages = ReadPages(lines);
    ASSERT_GE(pages.size(), 8u);

    std::set<int> counts, freqtypes, rankcums;
    bool second = false, monthlyRain = false, monthlyEt = false, watch = false, off = false, alert = false, run = false,
         runNumber = false, web = false, ftpOff = false, unitsOff = false, logAxis = false;
    Db db(folder_->Database());
    for (size_t p = 0; p < pages.size(); ++p) {
        const SetupPage& page = pages[p];
        EXPECT_EQ(Val(page.fields[0]), static_cast<double>(p + 1));
        EXPECT_TRUE(page.line.find(";FTP_ON;") != std::string::npos ||
                    page.line.find(";FTP_OFF;") != std::string::npos);
        ftpOff |= page.line.find("FTP_OFF") != std::string::npos;
        unitsOff |= page.line.find("UNITS_OFF") != std::string::npos;
        ASSERT_EQ(page.slots.size(), 12u) << "page " << p + 1;
        counts.insert(page.Used());
        for (size_t s = 0; s < page.slots.size(); ++s) {
            const SetupGraph& g = page.slots[s];
            EXPECT_EQ(g.Int(0), static_cast<int>(s + 1));
            if (g.Empty()) continue;
            if (g.Web()) {
                ASSERT_EQ(g.fields.size(), 9u);
                EXPECT_EQ(g.fields[2], "Web Screen");
                // A name in the program folder, so the folder can be copied or moved.
                EXPECT_TRUE(fs::path(g.fields[3]).parent_path().empty()) << g.fields[3];
                EXPECT_TRUE(fs::exists(folder_->program / g.fields[3])) << g.fields[3];
                web = true;
                continue;
            }
            ASSERT_GE(g.fields.size(), 15u);
            // Every series a graph names is in the catalogue.
            for (const std::string& piece : Split(g.DsidField(), ',')) {
                int id = static_cast<int>(Val(piece));
                if (id != 0) {
                    EXPECT_EQ(db.Scalar("select count(*) from rsite where datatype_site_id = " + std::to_string(id)),
                              "1")
                        << g.DsidField();
                }
            }
            auto pieces = Split(g.DsidField(), ',');
            second |= pieces.size() >= 2 && Val(pieces[1]) != 0;
            runNumber |= pieces.size() == 3 && Val(pieces[2]) != 0;
            alert |= g.DsidField().find(",ALERT") != std::string::npos;
            run |= g.DsidField().find(",RUN") != std::string::npos;
            monthlyRain |= g.fields[2] == "Monthly Rainfall";
            monthlyEt |= g.fields[2] == "Monthly ET";
            logAxis |= g.Int(6) != 0;
            if (g.Int(8) == 65535) {
                off = true;
                EXPECT_EQ(g.fields[3].substr(0, 4), "OFF ");
            }
            watch |= Val(g.fields[11]) != 0 || Val(g.fields[12]) != 0;
            rankcums.insert(g.Int(14));
            int freqtype = g.fields.size() >= 16 ? g.Int(15) : 0;
            freqtypes.insert(freqtype);
            // The written form: the frequency type only when set, coefficients only for
            // the kinds that use them.
            size_t expectedFields = freqtype == 0 ? 15u : (freqtype == 1 || freqtype == 2 || freqtype == 4) ? 19u : 16u;
            EXPECT_EQ(g.fields.size(), expectedFields);
            if (freqtype == 4) {
                EXPECT_LT(Val(g.fields[16]), Val(g.fields[17]));
                EXPECT_LT(Val(g.fields[17]), Val(g.fields[18]));
            }
            if (freqtype == 1 || freqtype == 2) {
                EXPECT_GT(Val(g.fields[17]), 0);  // a standard deviation
            }
        }
    }
    EXPECT_EQ(counts, (std::set<int>{1, 2, 3, 4, 6, 9, 12}));
    EXPECT_EQ(freqtypes, (std::set<int>{-2, -1, 0, 1, 2, 3, 4}));
    EXPECT_TRUE(rankcums.count(-1) && rankcums.count(2));
    EXPECT_TRUE(second);
    EXPECT_TRUE(monthlyRain);
    EXPECT_TRUE(monthlyEt);
    EXPECT_TRUE(watch);
    EXPECT_TRUE(off);
    EXPECT_TRUE(alert);
    EXPECT_TRUE(run);
    EXPECT_TRUE(runNumber);
    EXPECT_TRUE(web);
    EXPECT_TRUE(ftpOff);
    EXPECT_TRUE(unitsOff);
    EXPECT_TRUE(logAxis);
}

TEST_F(DemoFiles, FrequencyTableIsMonotone) {
    std::string text = folder_->Text("Tidemark_Frequency.txt");
    ASSERT_TRUE(AllLinesEndCrLf(text));
    std::vector<double> intervals, durations;
    std::vector<std::vector<double>> depths;
    bool header = false;
    for (const std::string& line : tidemark::SplitLines(text)) {
        auto f = Split(line, '\t');
        if (f.size() < 2) continue;
        if (!header) {
            if (Val(f[1]) != 1) continue;
            header = true;
            for (size_t c = 1; c < f.size(); ++c) intervals.push_back(Val(f[c]));
            continue;
        }
        ASSERT_LE(f.size(), intervals.size() + 1) << line;
        double factor = f[0].find('h') != std::string::npos ? 60 : 1;
        if (f[0].find('d') != std::string::npos) factor = 1440;
        durations.push_back(Val(f[0]) * factor);
        std::vector<double> row;
        for (size_t c = 1; c < f.size(); ++c) row.push_back(Val(f[c]));
        depths.push_back(row);
    }
    ASSERT_TRUE(header);
    EXPECT_EQ(intervals, (std::vector<double>{1, 2, 5, 10, 25, 50, 100, 200, 500, 1000}));
    ASSERT_LE(durations.size(), 16u);
    EXPECT_EQ(durations.front(), 5);
    EXPECT_EQ(durations.back(), 1440);
    for (double minutes : {5.0, 10.0, 15.0, 30.0, 60.0, 1440.0})
        EXPECT_NE(std::find(durations.begin(), durations.end(), minutes), durations.end()) << minutes;
    for (size_t r = 0; r < depths.size(); ++r) {
        ASSERT_EQ(depths[r].size(), intervals.size());
        if (r > 0) {
            EXPECT_GT(durations[r], durations[r - 1]);
        }
        for (size_t c = 0; c < depths[r].size(); ++c) {
            EXPECT_GT(depths[r][c], 0);
            if (c > 0) {
                EXPECT_GT(depths[r][c], depths[r][c - 1]) << "row " << r;
            }
            if (r > 0) {
                EXPECT_GT(depths[r][c], depths[r - 1][c]) << "column " << c;
            }
        }
    }
}

TEST_F(DemoFiles, AlertReportMarksTheAlertGraphWithinTheWindow) {
    // The ",ALERT" graph's series.
    int alertDsid = 0;
    for (const auto& page : ReadPages(tidemark::SplitLines(folder_->Text("Tidemark_setup.txt"))))
        for (const auto& g : page.slots)
            if (g.DsidField().find(",ALERT") != std::string::npos) alertDsid = g.Dsid();
    ASSERT_NE(alertDsid, 0);

    auto report = tidemark::ReadFileBytes((folder_->root / "Streamkeep" / "Streamkeep_Alert.txt").string());
    ASSERT_TRUE(report);
    ASSERT_TRUE(AllLinesEndCrLf(*report));
    auto lines = tidemark::SplitLines(*report);
    Db db(folder_->Database());
    const double now = *tidemark::ParseIsoDateTime(kNowStored);
    int marks = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].substr(0, 3) != "Iss") continue;
        std::string when = tidemark::Trim(lines[i].substr(lines[i].find(':') + 1));
        auto issued = tidemark::ParseIsoDateTime(when);
        ASSERT_TRUE(issued) << lines[i];
        EXPECT_LE(*issued, now);
        EXPECT_GT(*issued, now - 60);
        // Series lines follow the skipped line; the alert graph's one is followed by a
        // skipped line and its value.
        for (size_t j = i + 2; j + 2 < lines.size() && lines[j].substr(0, 3) != "Iss"; ++j) {
            if (static_cast<int>(Val(lines[j].substr(0, 6))) != alertDsid) continue;
            double value = Val(lines[j + 2]);
            std::string stored =
                db.Scalar("select value from runit where datatype_site_id = " + std::to_string(alertDsid) +
                          " and date_time = '" + when + ":00'");
            ASSERT_FALSE(stored.empty()) << when;
            EXPECT_NEAR(value, std::stod(stored), 0.005) << when;
            EXPECT_EQ(lines[j + 3], "");
            ++marks;
            break;
        }
    }
    EXPECT_GE(marks, 2);
}

TEST(DemoGenerator, SameSeedAndNowGiveTheSameFolder) {
    GeneratedFolder a, b;
    ASSERT_EQ(a.run.status, 0) << a.run.err;
    ASSERT_EQ(b.run.status, 0) << b.run.err;
    // The web screen names its page by absolute path, the only text that depends on
    // where the folder is.
    auto relocated = [](std::string text, const fs::path& from) {
        return tidemark::ReplaceAll(text, from.string(), "<folder>");
    };
    EXPECT_EQ(relocated(a.Text("Tidemark_setup.txt"), a.program), relocated(b.Text("Tidemark_setup.txt"), b.program));
    for (const char* name :
         {"Tidemark_Frequency.txt", "station_notes.html", "river_report.pdf", "latest_readings.xlsx"})
        EXPECT_EQ(a.Text(name), b.Text(name)) << name;
    EXPECT_EQ(tidemark::ReadFileBytes((a.root / "Streamkeep" / "Streamkeep_Alert.txt").string()),
              tidemark::ReadFileBytes((b.root / "Streamkeep" / "Streamkeep_Alert.txt").string()));

    Db da(a.Database()), dbb(b.Database());
    for (const char* table :
         {"rsite", "runit", "rhour", "rday", "rdaymax", "rdaymin", "rupdate", "mrundsid", "mhour", "munit"}) {
        std::string sql = std::string("select * from ") + table + " order by 1, 2, 3";
        EXPECT_TRUE(da.Query(sql) == dbb.Query(sql)) << table;
    }

    // Another seed is other weather; rerunning over the folder replaces it whole.
    RunResult again = RunDemo({a.program.string(), "--now", kNow, "--seed", "8"});
    ASSERT_EQ(again.status, 0) << again.err;
    Db dc(a.Database());
    EXPECT_FALSE(dc.Query("select * from runit order by 1, 2") == dbb.Query("select * from runit order by 1, 2"));
    for (auto& entry : fs::directory_iterator(a.program))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST(DemoGenerator, RefusesBadInputAndWritesNothing) {
    fs::path root = MakeTempFolder();
    fs::path program = root / "prog";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{program.string(), "--now", "2024-02-30 10:00"},
          std::vector<std::string>{program.string(), "--now", "yesterday"},
          std::vector<std::string>{program.string(), "--seed", "-3"},
          std::vector<std::string>{program.string(), "--colour"}, std::vector<std::string>{}}) {
        RunResult r = RunDemo(args);
        EXPECT_NE(r.status, 0);
        EXPECT_FALSE(r.err.empty());
        EXPECT_FALSE(fs::exists(program));
    }
    // A file where the folder should be.
    ASSERT_TRUE(tidemark::WriteFileAtomic(program.string(), "not a folder"));
    RunResult r = RunDemo({program.string(), "--now", kNow});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(program.string()), std::string::npos) << r.err;
    EXPECT_EQ(tidemark::ReadFileBytes(program.string()), "not a folder");
    fs::remove_all(root);
}
