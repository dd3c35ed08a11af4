// Generated models written and read back must come back unchanged, and a file read and
// written again must keep its bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "core/color.h"
#include "core/vbtext.h"
#include "setup/setup_format.h"
#include "setup/setup_writer.h"
#include "setup_test_support.h"

using namespace tidemark;
using namespace tidemark::test;

namespace {

class Generator {
public:
    explicit Generator(uint32_t seed) : rng_(seed) {}

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Int(1, 100) <= percent; }
    int16_t Int16() { return static_cast<int16_t>(Int(-32768, 32767)); }
    int16_t NonZeroInt16() {
        int16_t v;
        do v = Int16();
        while (v == 0 || v == -1);
        return v;
    }
    int32_t Int32() {
        switch (Int(0, 3)) {
            case 0: return 0;
            case 1: return Int(0, 16777215);
            default: return static_cast<int32_t>(rng_());
        }
    }
    double Watch() { return Chance(30) ? 0 : Int(-10000000, 10000000) / 100.0; }
    float Single() {
        if (Chance(50)) return static_cast<float>(Int(-100000, 100000)) / 64.0f;
        float f;
        do {
            uint32_t bits = static_cast<uint32_t>(rng_());
            std::memcpy(&f, &bits, sizeof f);
        } while (!std::isfinite(f));
        return f;
    }
    // Text of a ";"-separated field: anything but the separators and line breaks,
    // leading and trailing spaces included.
    std::string Text(int maxLength, const std::string& alphabet = kAlphabet) {
        std::string s;
        int n = Int(0, maxLength);
        for (int i = 0; i < n; ++i) s += alphabet[static_cast<size_t>(Int(0, static_cast<int>(alphabet.size()) - 1))];
        return s;
    }
    std::string TrimmedText(int maxLength, const std::string& alphabet = kAlphabet) {
        return Trim(Text(maxLength, alphabet));
    }

    static inline const std::string kAlphabet =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,-/:()&'\"#=?%\xe9\xb0";

private:
    std::mt19937 rng_;
};

struct Expected {
    SetupSettings settings;
    PageSet pages;
    std::vector<SiteEntry> catalogue;
};

void FillGraph(Generator& gen, PageSet& ps, int page, int slot) {
    PageRec& rec = ps.Page(page);
    GraphDef& g = rec.slots[static_cast<size_t>(slot)];
    g.dsid = gen.NonZeroInt16();
    g.parametername = gen.Text(20);
    g.hrmarker = gen.Int16();
    g.daymarker = gen.Int16();
    g.logyscale = gen.Int16();
    g.backcolor = gen.Int32();
    g.back2color = gen.Chance(20) ? kSwitchedOffColor : gen.Int32();
    g.hrcolor = gen.Int32();
    g.daycolor = gen.Int32();
    g.highwatch = gen.Watch();
    g.lowwatch = gen.Watch();
    g.watchcount = gen.Int16();
    g.rankcum = gen.Chance(50) ? static_cast<int16_t>(gen.Int(-1, 2)) : gen.Int16();
    const int16_t freqtypes[] = {0, 0, -1, -2, 1, 2, 3, 4, 5};
    g.freqtype = static_cast<FreqType>(gen.Chance(90) ? freqtypes[gen.Int(0, 8)] : gen.Int16());
    if (g.freqtype == FreqType::LogProbability || g.freqtype == FreqType::Probability ||
        g.freqtype == FreqType::ColorBand) {
        g.coeff1 = gen.Single();
        g.coeff2 = gen.Single();
        g.coeff3 = gen.Single();
    }
    g.stationname = (g.back2color == kSwitchedOffColor ? "OFF " : "") + gen.Text(24);

    // The dsid field forms: bare, two identifiers, with a run number, RUN, ALERT, both.
    std::string& suffix = rec.runsuffix[static_cast<size_t>(slot)];
    int16_t& run = rec.runnumber[static_cast<size_t>(slot)];
    int16_t second = 0;
    bool comma = true;
    switch (gen.Int(0, 7)) {
        case 0: comma = false; break;
        case 1: second = gen.NonZeroInt16(); break;
        case 2:
            second = gen.Chance(30) ? 0 : gen.NonZeroInt16();
            run = gen.NonZeroInt16();
            suffix = ",RUN";
            break;
        case 3: suffix = ",RUN"; break;
        case 4: suffix = ",ALERT"; break;
        case 5: suffix = ",RUN,ALERT"; break;
        case 6:
            second = gen.NonZeroInt16();
            suffix = ",RUN";
            break;
        case 7:
            second = gen.NonZeroInt16();
            suffix = ",ALERT";
            break;
    }
    if (comma) {
        g.hasdsid2 = -1;
        GraphDef& s2 = rec.slots[static_cast<size_t>(slot + kSecondSeriesOffset)];
        s2.page = static_cast<int16_t>(page);
        s2.slot = static_cast<int16_t>(slot + kSecondSeriesOffset);
        s2.dsid = second;
    }
    if (Contains(suffix, "ALERT")) {
        CreateAlertTable(ps);
        ps.alerts[static_cast<size_t>(page)][static_cast<size_t>(slot)].dsid = g.dsid;
    }
}

void FillWebScreen(Generator& gen, Expected& e, int page, int slot) {
    GraphDef& g = e.pages.Graph(page, slot);
    g.dsid = -1;
    g.parametername = "Web Screen";
    const char* endings[] = {".html", ".pdf", ".XLSX", "/", ".PDF "};
    g.stationname = "http://" + gen.Text(16) + endings[gen.Int(0, 4)];
    g.hrmarker = gen.Int16();
    if (IsHtmlAddress(g.stationname)) {
        g.daymarker = gen.Int16();
        g.logyscale = gen.Int16();
    }
    g.back2color = gen.Int32();
    g.hrcolor = gen.Int32();
    g.backcolor = e.pages.webscreencount++;
    e.catalogue.push_back(
        SiteEntry{-1, g.stationname, 0, "Web Screen", "", std::to_string(g.back2color), std::to_string(g.hrcolor)});
}

Expected GenerateModel(uint32_t seed) {
    Generator gen(seed);
    Expected e;
    SetupSettings& s = e.settings;
    s.days = gen.Int16();
    s.endday = gen.Int16();
    s.plotunitvalues = gen.Chance(50);
    s.includedailymaxmin = gen.Chance(50);
    s.bigcurrentvalue = gen.Chance(50);
    s.autopaging = gen.Chance(50);
    // The reader keeps the piece after the comma as it stands, upper-cased.
    s.pageseconds = " " + gen.TrimmedText(4, "0123456789ABC ");
    const std::string fontLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ -";
    s.titlefontname = gen.TrimmedText(20, fontLetters);
    s.axisfontname = gen.TrimmedText(20, fontLetters);
    s.penwidth1 = static_cast<int16_t>(15 * gen.Int(-100, 100));
    s.penwidth2 = static_cast<int16_t>(15 * gen.Int(-100, 100));
    s.connectionstring = gen.TrimmedText(60, Generator::kAlphabet + ";=");
    s.startup = StartupPosition{gen.Single(), gen.Single(), gen.Single(), gen.Single(), gen.Int16(), true};
    s.metricunits = gen.Chance(50);

    int n = gen.Int(1, 5);
    SizePageSet(e.pages, n);
    for (int p = 1; p <= n; ++p) {
        PageRec& rec = e.pages.Page(p);
        rec.title = gen.TrimmedText(30);
        rec.titlefontsize = gen.Int16();
        rec.axisfontsize = gen.Int16();
        rec.yaxislabels = gen.Chance(50) ? static_cast<int16_t>(gen.Int(-1, 0)) : gen.Int16();
        rec.ftpoff = gen.Chance(30);
        rec.unitsoff = gen.Chance(30);
        rec.lastslot = 0;  // the highest slot in use, as the reader finds it
        for (int slot = 0; slot < kGraphsPerPage; ++slot) {
            int kind = gen.Int(0, 9);
            if (kind <= 5)
                FillGraph(gen, e.pages, p, slot);
            else if (kind <= 7)
                FillWebScreen(gen, e, p, slot);
            if (kind <= 7 && rec.slots[static_cast<size_t>(slot)].Kind() != SlotKind::Empty)
                rec.lastslot = static_cast<int16_t>(slot);
            GraphDef& g = rec.slots[static_cast<size_t>(slot)];
            g.page = static_cast<int16_t>(p);
            g.slot = static_cast<int16_t>(slot);
        }
    }
    return e;
}

// Names the first difference, so a failing seed says where to look.
std::string FirstDifference(const PageSet& a, const PageSet& b) {
    if (a.pagecount != b.pagecount || a.tableroom != b.tableroom || a.pages.size() != b.pages.size())
        return "page counts differ";
    if (a.webscreencount != b.webscreencount) return "web screen counts differ";
    if (a.alerts != b.alerts) return "alert tables differ";
    for (size_t p = 0; p < a.pages.size(); ++p) {
        const PageRec& x = a.pages[p];
        const PageRec& y = b.pages[p];
        for (size_t s = 0; s < x.slots.size(); ++s)
            if (!(x.slots[s] == y.slots[s]))
                return "page " + std::to_string(p) + " slot " + std::to_string(s) + ": station '" +
                       x.slots[s].stationname + "' / '" + y.slots[s].stationname + "'";
        if (x.runsuffix != y.runsuffix || x.runnumber != y.runnumber) return "run fields of page " + std::to_string(p);
        if (!(x == y)) return "page fields of page " + std::to_string(p);
    }
    return "none";
}

}  // namespace

TEST(SetupRoundTrip, GeneratedModelsComeBackUnchanged) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Expected e = GenerateModel(seed);
        TempFolder folder;
        SetupSettings settings = e.settings;
        PageSet pages = e.pages;
        Result<void> saved = SetupWriter().Write(folder.path(), settings, pages);
        ASSERT_TRUE(saved.ok()) << saved.error();
        EXPECT_TRUE(pages == e.pages) << "saving changed the model: " << FirstDifference(pages, e.pages);

        RecordingHost host;
        Model back;
        SetupReadResult r = SetupReader(host).Read(folder.path(), back.Targets());
        ASSERT_TRUE(r.ok()) << r.error();
        EXPECT_TRUE(back.settings == e.settings);
        EXPECT_TRUE(back.pages == e.pages) << FirstDifference(back.pages, e.pages);
        EXPECT_EQ(back.catalogue.Entries(), e.catalogue);
        // Only the missing frequency file may have been reported.
        for (const auto& m : host.messages) EXPECT_NE(m.find(" not found."), std::string::npos) << m;
        EXPECT_LE(host.messages.size(), 1u);

        // The model read back writes the same bytes.
        EXPECT_EQ(SetupWriter::ComposeSetup(back.settings, back.pages), folder.Read(kSetupFileName));
        if (HasFailure()) break;
    }
}

TEST(SetupRoundTrip, SingleValuesUseTheFewestDigitsThatReadBack) {
    EXPECT_EQ(FileSingle(0.1f), " .1 ");
    EXPECT_EQ(FileSingle(-2.5f), "-2.5 ");
    EXPECT_EQ(FileSingle(1024.5f), " 1024.5 ");
    EXPECT_EQ(FileSingle(-0.0f), " 0 ");
    EXPECT_EQ(FileSingle(16777216.0f), " 16777216 ");
    EXPECT_EQ(FileSingle(0.333333343f), " .33333334 ");  // eight digits
    EXPECT_EQ(FileNumber(-9999), "-9999 ");
    EXPECT_EQ(FileNumber(0.25), " .25 ");
}
