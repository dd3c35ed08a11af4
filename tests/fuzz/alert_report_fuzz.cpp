// libFuzzer target for the alert report: any report reads without a crash or undefined
// behaviour, and the marks it leaves are counted within what is stored.
#include "core/daynum.h"
#include "data/alert_report.h"
#include "fuzz_folder.h"
#include "support/recording_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tidemark;
    static const std::string program = fuzz::Folder("Tidemark");
    fuzz::WriteInput(fuzz::Folder("Streamkeep") + "Streamkeep_Alert.txt", data, size);
    ProgramState state;
    state.programFolder = program;
    SizePageSet(state.pages, 2);
    CreateAlertTable(state.pages);
    state.window.start = DateSerial(2026, 3, 1);
    state.window.end = DateSerial(2026, 3, 8);
    state.pages.alerts[1][0].dsid = 101;
    state.pages.alerts[1][1].dsid = 202;
    state.pages.alerts[2][2].dsid = 101;
    RecordingHost host;
    ReadAlertFile(state, host);
    for (const auto& page : state.pages.alerts)
        for (const AlertSlot& slot : page)
            if (slot.markcount < 0 || static_cast<size_t>(slot.markcount) > slot.marks.size()) __builtin_trap();
    return 0;
}
