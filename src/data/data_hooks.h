#pragma once
// What the data layer adds to reading the setup file: between the top section and the
// page section the connection string is completed and the site catalogue loaded. When
// that fails the user is told why, the setup file is opened in an editor (its line 7
// holds the connection string) and the read ends fatally.
#include <functional>
#include <memory>
#include <string>

#include "core/host.h"
#include "data/fetch_thread.h"
#include "setup/setup_reader.h"
#include "storage/db/database.h"

namespace tidemark {

// Opens a file in the user's editor (the program passes OpenInEditor; tests record).
using EditorOpener = std::function<void(const std::string& path)>;

// The hook for SetupReader: applies the connection rules to the settings and loads the
// catalogue. A failure hands the description back for the reader to show, with the
// connection hint, as its one message. More rsite rows than the catalogue can number
// is not a failure: the rest are left out and the user is told so. The hooks keep a
// reference to host, which must outlive them.
// What reading the setup leaves open for the load that follows: the connection the
// catalogue was read on and, on a database read on two connections at once, a second
// one, opened on a thread of its own while the first opens (a server's connection takes
// as long as a good part of a page's fetch). Both wait for locks patiently.
struct SetupConnections {
    std::unique_ptr<Database> catalogue;
    std::unique_ptr<FetchThread> beside;
};

// `connections`, when given, receives the connections, for the caller to go on with.
SetupReaderHooks MakeDataHooks(Host& host, const std::string& programFolder, SetupConnections* connections = nullptr);

// Reads programFolder's setup file with the data hooks. After a catalogue fault, whose
// message the reader has shown, the setup file is opened with openEditor; the result
// stays fatal (fault Catalogue) and ending the program is the caller's call.
SetupReadResult ReadSetupWithDatabase(Host& host, const std::string& programFolder, const SetupTargets& targets,
                                      const EditorOpener& openEditor, SetupConnections* connections = nullptr);

}  // namespace tidemark
