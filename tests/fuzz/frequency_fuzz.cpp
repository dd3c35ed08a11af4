// libFuzzer target for the frequency table: any file reads without a crash, and a table
// that loads gives a finite recurrence interval for every depth and duration asked.
#include <cmath>

#include "analysis/frequency.h"
#include "fuzz_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tidemark;
    const std::string path = fuzz::Folder("frequency") + "Tidemark_Frequency.txt";
    fuzz::WriteInput(path, data, size);
    FrequencyTable table;
    FrequencyLoadResult r = ReadFrequencyTable(path, table);
    if (!r.ok()) {
        if (r.error().empty() || !table.Empty()) __builtin_trap();
        return 0;
    }
    for (double depth : {-1.0, 0.0, 0.01, 1.0, 3.3, 1e6})
        for (int minutes : {1, 5, 60, 1440, 100000})
            if (!std::isfinite(Getfrequency(depth, table, minutes))) __builtin_trap();
    return 0;
}
