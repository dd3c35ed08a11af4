#pragma once
// The depth-duration-frequency table and the standard normal routines.
#include <cstdint>
#include <string>
#include <vector>

#include "core/result.h"

namespace tidemark {

struct FrequencyTable {
    int16_t columns = 0;         // C: header fields minus 1
    std::vector<double> header;  // H(0..C)
    int16_t rows = 0;            // R, at most 16
    // depth[c][r] for c = 0..C, r = 1..R (index 0 of r unused); depth[0][r] = minutes.
    std::vector<std::vector<double>> depth;
    std::vector<int16_t> minutes;  // minutes[r], r = 1..R
    std::vector<int16_t> steps;    // steps[r] = minutes / 5, r = 1..R
    bool loaded = false;           // the file has been read (successfully) once

    bool Empty() const { return rows == 0; }
};

// Why the table could not be read: the file is not there (the program goes on without
// it), or it is not a table (a fault that names the file and the 1-based line of the
// offending row).
enum class FrequencyFaultKind { NotFound, Invalid };

struct FrequencyFault : Fault {
    FrequencyFaultKind kind = FrequencyFaultKind::Invalid;
};

using FrequencyLoadResult = Result<void, FrequencyFault>;

// Reads Tidemark_Frequency.txt (lines split on TAB). The table is left empty when the
// file is missing or invalid.
FrequencyLoadResult ReadFrequencyTable(const std::string& path, FrequencyTable& table);

// Recurrence interval in years of `depth` over `minutes`; 0 when the table has no row
// for that duration. Above a row's last depth it extrapolates along the last two columns.
// The missing value (-9999) stays missing. Never NaN or infinite: any other negative
// depth, or a bracket that cannot be interpolated (non-positive intervals, equal
// depths), gives 0.
double Getfrequency(double depth, const FrequencyTable& table, int minutes);

// Upper-tail probability of the standard normal distribution, P(Z > x).
float funp(double x);

// The standard normal deviate whose upper-tail probability is p.
double funk(double p);

// Sorts values[first..last] ascending in place (quicksort, Hoare partitioning). Indices
// outside the array are clipped to it.
void RankSort(std::vector<double>& values, int first, int last);

}  // namespace tidemark
