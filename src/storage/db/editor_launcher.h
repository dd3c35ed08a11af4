#pragma once
// Opens a text file in the user's editor: $VISUAL, else $EDITOR, else the desktop's
// default handler for the file. Used for the setup file after its connection string
// failed, so the user can mend it while the program ends.
#include <string>
#include <vector>

namespace tidemark {

// The commands tried in turn, each as program + arguments with the file last. An editor
// variable may carry its own arguments ("emacsclient -c", "code --wait"); empty or
// blank variables are skipped. The file is always a separate argument, never passed
// through a shell, so its name cannot run anything.
std::vector<std::vector<std::string>> EditorCommands(const std::string& path, const std::string& visual,
                                                     const std::string& editor);

// Starts the first of EditorCommands (from the environment) that can be started,
// detached, so the editor stays open after the program ends. False when none started.
bool OpenInEditor(const std::string& path);

}  // namespace tidemark
