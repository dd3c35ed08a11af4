#pragma once
// A private CUPS scheduler for tests: cupsd with its own configuration, spool, cache and
// log in a temporary folder, listening on a loopback port and a local socket, with
// queues on the cups-pdf backend. While it runs, CUPS_SERVER names its socket for this
// process, so libcups (and Qt's CUPS plugin with it) sees only these queues. Stopped,
// and its folder removed, when the object goes.
//
// cups-pdf reads its settings from /etc/cups/cups-pdf.conf only. The scheduler is
// started in a private mount namespace with the test's own cups-pdf.conf laid over that
// file, so the PDFs land in OutputFolder(). Where no mount namespace can be made, the
// backend keeps the system's settings and OutputFolder() is the folder they name; only
// PDFs that appear after the start count.
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace tidemark::testsupport {

class CupsServer {
public:
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    // False with the reason when the scheduler does not come up.
    bool Start(std::string* error);
    // A queue that writes PDFs (lpadmin -E -p NAME -v cups-pdf:/ with the cups-pdf PPD).
    bool AddPdfQueue(const std::string& name, std::string* error);
    bool SetDefaultQueue(const std::string& name, std::string* error);

    // What CUPS_SERVER is set to.
    std::string Server() const { return socket_; }
    // The queues as the print system lists them (lpstat -e).
    std::vector<std::string> Queues() const;
    // Every job the scheduler has taken since it started, finished or not, as lpstat
    // lists them ("QUEUE-ID USER SIZE DATE"), oldest first.
    std::vector<std::string> Jobs() const;
    // The document as the program handed it in for a job of Jobs(), before any filter
    // (the scheduler keeps job files).
    std::string SubmittedDocument(const std::string& job) const;
    // Waits until no job is pending or printing; false when some still are after `limit`.
    bool WaitUntilIdle(std::chrono::milliseconds limit) const;

    std::string OutputFolder() const { return output_; }
    // PDFs written since the start, oldest first.
    std::vector<std::string> NewPdfs() const;
    bool PrivateOutput() const { return privateOutput_; }

private:
    bool WriteConfig(std::string* error) const;
    bool Launch(std::string* error);
    std::string Lpstat(const std::vector<std::string>& arguments) const;
    std::vector<std::string> PdfsInOutput() const;

    TempFolder folder_{"tidemark-cups"};
    ChildProcess process_;
    int port_ = 0;
    std::string socket_;
    std::string output_;
    bool privateOutput_ = false;
    std::set<std::string> before_;
    bool hadServer_ = false;
    std::string previousServer_;
};

}  // namespace tidemark::testsupport
