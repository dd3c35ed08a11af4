#pragma once
// Starts the companion database loader from the sibling folder of the program folder,
// with a series number as its one argument. When it is not where it belongs the user is
// asked for its folder until it is found or the question is left empty.
#include <string>

#include "core/host.h"

namespace tidemark {

class CompanionLauncher {
public:
    explicit CompanionLauncher(Host& host) : host_(host) {}

    // Ignored while an earlier launch is still in its start-up wait.
    void Launch(const std::string& programFolder, const std::string& argument);

    // The loader's expected folder: the program folder's sibling "Ledgerly/".
    static std::string SiblingFolder(const std::string& programFolder);
    // The executable in `folder` ("Ledgerly", or "Ledgerly.exe"), empty when neither exists.
    static std::string ExecutableIn(const std::string& folder);

private:
    Host& host_;
    bool launching_ = false;
};

}  // namespace tidemark
