#include "data/data_hooks.h"

#include "data/connection_rules.h"
#include "data/database_access.h"
#include "data/site_catalogue_loader.h"
#include "setup/setup_model.h"

namespace tidemark {

SetupReaderHooks MakeDataHooks(Host& host, const std::string& programFolder, SetupConnections* connections) {
    SetupReaderHooks hooks;
    hooks.afterTopSection = [&host, programFolder, connections](SetupSettings& settings,
                                                                SiteCatalogue& catalogue) -> Result<void> {
        ApplyConnectionRules(settings, programFolder);
        if (connections && ReadsBesideAnotherConnection(settings, programFolder))
            connections->beside = FetchThread::Start(settings, programFolder, kPatientLockWait);
        Result<CatalogueLoad> load = LoadSiteCatalogue(host, settings, programFolder, catalogue,
                                                       connections ? &connections->catalogue : nullptr);
        if (!load) return load.fault();
        if (load->rowsLeftOut > 0)
            host.Report({"The site catalogue holds at most " + std::to_string(SiteCatalogue::kMaxEntries) +
                         " entries; " + std::to_string(load->rowsLeftOut) + " of the " + std::to_string(load->rows) +
                         " rows of rsite are not listed in it."},
                        Severity::Warning);
        return {};
    };
    return hooks;
}

SetupReadResult ReadSetupWithDatabase(Host& host, const std::string& programFolder, const SetupTargets& targets,
                                      const EditorOpener& openEditor, SetupConnections* connections) {
    SetupReader reader(host, MakeDataHooks(host, programFolder, connections));
    SetupReadResult result = reader.Read(programFolder, targets);
    if (!result && result.fault().kind == SetupFault::Catalogue && openEditor)
        openEditor(programFolder + kSetupFileName);
    return result;
}

}  // namespace tidemark
