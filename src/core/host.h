#pragma once
// Every effect the program has on the user goes through Host, so the logic runs in
// tests without a window: the window implements it with Qt, tests with RecordingHost.
#include <string>

#include "core/result.h"

namespace tidemark {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// How much a reported fault weighs: a note the user may want to know, a warning that
// something did not happen, or a fault that ends what was under way.
enum class Severity { Note, Warning, Fatal };

class Host {
public:
    virtual ~Host() = default;

    virtual void SetCaption(const std::string& text) = 0;
    virtual std::string Caption() const = 0;
    // What the layers below the application hand up: a fault, or a note, to be told the
    // way the application tells them (a box, the caption, standard error).
    virtual void Report(const Fault& fault, Severity severity) = 0;
    // A yes-or-no question; true for yes. Nobody there to answer says no.
    virtual bool Confirm(const std::string& question) = 0;

    // The application's own modal message; returns the button pressed. In command-line
    // mode the window writes the text to standard error and returns the default answer.
    virtual MsgAnswer Message(const std::string& text, MsgButtons buttons = MsgButtons::Ok,
                              MsgIcon icon = MsgIcon::None, const std::string& title = {}) = 0;
    // Input box; returns the entered text, empty when cancelled.
    virtual std::string Input(const std::string& prompt, const std::string& title = {},
                              const std::string& defaultText = {}) = 0;
    // Lets the event loop run (the program has one user-interface thread).
    virtual void Yield() = 0;
    // The present local date-time as a day number.
    virtual double Now() const = 0;
};

}  // namespace tidemark
