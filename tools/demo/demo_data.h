#pragma once
// Everything the demo database holds, built from one seed and one "now".
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "demo_series.h"
#include "weather.h"

namespace tidemark::demo {

// One model trace: a row of mrundsid and its values in mhour (hourly) and munit
// (15-minute).
struct ModelTrace {
    int runId = 0;  // day of the year of the run
    int trace = 0;
    Minutes runTime = 0;
    int dsid = 0;
    std::string setupString;
    std::vector<Row> hourly;
    std::vector<Row> unit;
};

struct DemoData {
    Timeline timeline;
    // Per series, one value per written step (kNoRow where no row is written).
    std::map<int, std::vector<double>> unitValues;
    std::vector<ModelTrace> modelTraces;
    Minutes harborPointGaugeOffline = 0;  // the switched-off rain gauge's last report
    Minutes forecastIssued = 0;           // issue time of the official Mill Falls forecast

    explicit DemoData(Minutes now) : timeline(now) {}
};

DemoData BuildDemoData(Minutes now, uint64_t seed);

}  // namespace tidemark::demo
