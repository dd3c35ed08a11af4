#pragma once
// The Host of runs without a window: messages go to standard error, one line each
// (line breaks inside a message become " / "), questions take their default answer,
// and the caption is only remembered.
//
// Texts on standard output and standard error come from setup titles, the database and
// file names, which nobody here wrote: a title holding ESC [2J would clear the
// operator's terminal, an OSC sequence would reach the log viewer. Every line written
// there goes through OneLine, which shows such characters as \xNN.
#include <iostream>
#include <optional>
#include <string>

#include "core/daynum.h"
#include "core/host.h"
#include "core/shown_text.h"
#include "core/vbtext.h"

namespace tidemark {

class ConsoleHost : public Host {
public:
    // A fixed clock (for reproducible exports) or the real one.
    explicit ConsoleHost(std::optional<double> fixedNow = std::nullopt, std::ostream& err = std::cerr)
        : fixedNow_(fixedNow), err_(err) {}

    void SetCaption(const std::string& text) override { caption_ = text; }
    std::string Caption() const override { return caption_; }
    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon, const std::string&) override {
        err_ << OneLine(text) << std::endl;
        return DefaultAnswer(buttons);
    }
    void Report(const Fault& fault, Severity) override { err_ << OneLine(fault.description) << std::endl; }
    bool Confirm(const std::string& question) override {
        return Message(question, MsgButtons::YesNo, MsgIcon::Question, {}) == MsgAnswer::Yes;
    }
    std::string Input(const std::string&, const std::string&, const std::string&) override { return {}; }
    void Yield() override {}
    double Now() const override { return fixedNow_ ? *fixedNow_ : LocalNow(); }

    // The answer when nobody is there to press a button: the cautious one.
    static MsgAnswer DefaultAnswer(MsgButtons buttons) {
        switch (buttons) {
            case MsgButtons::YesNo:
            case MsgButtons::YesNoCancel: return MsgAnswer::No;
            case MsgButtons::OkCancel: return MsgAnswer::Cancel;
            case MsgButtons::Ok: break;
        }
        return MsgAnswer::Ok;
    }

    static std::string OneLine(const std::string& text) {
        std::string s = ReplaceAll(text, "\r\n", " / ");
        s = ReplaceAll(s, "\n", " / ");
        return ShownControls(ReplaceAll(s, "\r", " / "));
    }

    // Control characters (C0 but TAB, DEL, C1) as \xNN; see core/shown_text.h.
    static std::string ShownControls(const std::string& text) { return tidemark::ShownControls(text); }

private:
    std::optional<double> fixedNow_;
    std::ostream& err_;
    std::string caption_;
};

}  // namespace tidemark
