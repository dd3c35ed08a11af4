#pragma once
// Shared pieces of the setup tests: a temporary program folder, a model bundle, and a
// hand-written setup file in the layout the writer produces.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/frequency.h"
#include "core/textfile.h"
#include "setup/setup_model.h"
#include "setup/setup_reader.h"
#include "setup/site_catalogue.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tidemark::test {

// A fresh folder under the system's temporary folder, removed at the end of the test.
class TempFolder : public testsupport::TempFolder {
public:
    TempFolder() : testsupport::TempFolder("tm_setup") {}

    const std::string& path() const { return Path(); }  // ends with "/"
    void Write(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories(std::filesystem::path(File(name)).parent_path());
        if (!testsupport::TempFolder::Write(name, bytes)) std::abort();
    }
    std::string Read(const std::string& name) const { return ReadFileBytes(File(name)).value_or("<missing>"); }
    bool Exists(const std::string& name) const { return std::filesystem::exists(File(name)); }
    int FileCount() const {
        int n = 0;
        for (auto& e : std::filesystem::directory_iterator(Path())) {
            (void)e;
            ++n;
        }
        return n;
    }
};

// Everything a read fills.
struct Model {
    SetupSettings settings;
    PageSet pages;
    SiteCatalogue catalogue;
    FrequencyTable frequency;
    SetupTargets Targets() { return SetupTargets{settings, pages, catalogue, frequency}; }
};

inline std::string CrLf(const std::vector<std::string>& lines) { return JoinLinesCrLf(lines); }

// Top section of the longer form (with "Metric Units="), lines 1-12.
inline std::vector<std::string> TopSection() {
    return {
        "Days = 7 ; End Day +0",
        "Plot Unit Values = False",
        "Include Daily Max/Min = True",
        "Big Current Value = False",
        "Auto Paging = True, 30",
        "Font Names & Pen Widths = Arial, Times New Roman,  2 ,  3 ",
        "Database Connection String= Provider=SQLite;Data Source=demo.db",
        "",
        "Start Up=  120 , 80 , 1024.5 , 768 , 0 ",
        "Metric Units=False",
        "",
        "Page/Graph; dsid (, dsid2, run, alert); parametername; stationname; hrmarker; daymarker; "
        "logyscale; backcolor;back2color; hrcolor; daycolor; highwatch; lowwatch; watchcount; "
        "rank-1/cumulative2; freq type -1or-2/prob type 1or2/MAE3/ColorBand4; coeff1; coeff2; coeff3",
    };
}

// Two pages in the exact layout the writer produces (lines 13 onward).
inline std::vector<std::string> PageSection() {
    return {
        " 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON",
        " 1 ; 101 ;Stage;Creek at Mill; 0 ; 1 ; 0 ; 16777215 ; 16777215 ; 255 ; 255 ; 12.5 ; 3.25 ; 2 ; 0 ",
        " 2 ; 101 , 205 ;Flow;OFF Creek; 1 ; 1 ; 0 ; 16777215 ; 65535 ; 255 ; 16711680 ; 0 ; 0 ; 0 ;-1 ",
        " 3 ; 102 , 206 , 3 ;Rain Total;Hill Top; 0 ; 0 ; 0 ; 8421504 ; 16777215 ; 255 ; 255 ; 0 ; 0 ; 0 ; 2 ;-1 ",
        " 4 ; 103 ,RUN;Inflow;Lake; 0 ; 1 ; 0 ; 16777215 ; 16777215 ; 255 ; 255 ; 0 ; 0 ; 0 ; 0 ; 3 ",
        " 5 ; 104 ,ALERT;Stage;Weir; 0 ; 1 ;-1 ; 16777215 ; 16777215 ; 255 ; 255 ; 4.75 ;-1.5 ;-3 ; 0 ; 1 ; .5 ;-2.25 "
        "; 1E-07 ",
        " 6 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 7 ;-1 ;Web Screen;https://example.org/river.html; 1 ; 40 ; 300 ; 1 ; 0 ",
        " 8 ; 105 ,RUN,ALERT;Monthly Rainfall;Hill Top; 0 ; 1 ; 0 ; 16777215 ; 16777215 ; 255 ; 255 ; 0 ; 0 ; 0 ; 0 ; "
        "4 ; 1 ; 2 ; 3 ",
        " 9 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 10 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 11 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 12 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 2 ;Web pages; 12 ; 9 ; 0 ;FTP_OFF;UNITS_OFF",
        " 1 ;-1 ;Web Screen;file:///srv/report.pdf; 0 ; 0 ; 0 ; 0 ; 1 ",
        " 2 ; 310 , 0 , 7 ;Flow;Gate; 0 ; 1 ; 0 ; 16777215 ; 16777215 ; 255 ; 255 ; 0 ; 0 ; 0 ; 0 ",
        " 3 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 4 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 5 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 6 ;-1 ;Web Screen;http://intranet/board.xlsx; 0 ; 0 ; 0 ; 1 ; 1 ",
        " 7 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 8 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 9 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 10 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 11 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        " 12 ;;;; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ; 0 ",
        "END",
    };
}

inline std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline std::string SampleSetup() { return CrLf(Concat(TopSection(), PageSection())); }

}  // namespace tidemark::test
