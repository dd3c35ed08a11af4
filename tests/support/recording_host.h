#pragma once
// A Host for tests: records captions, messages and yields, answers from a queue, and
// reads a clock that the test sets.
#include <deque>
#include <string>
#include <vector>

#include "core/host.h"

namespace tidemark {

class RecordingHost : public Host {
public:
    explicit RecordingHost(double now = 0) : now_(now) {}

    void SetCaption(const std::string& text) override {
        caption_ = text;
        captions.push_back(text);
    }
    std::string Caption() const override { return caption_; }

    MsgAnswer Message(const std::string& text, MsgButtons buttons, MsgIcon, const std::string&) override {
        messages.push_back(text);
        if (!answers.empty()) {
            MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (buttons) {
            case MsgButtons::YesNo:
            case MsgButtons::YesNoCancel: return MsgAnswer::No;
            default: return MsgAnswer::Ok;
        }
    }

    // Told like a message, so a test sees what the user would read; the fault itself is
    // kept too.
    void Report(const Fault& fault, Severity severity) override {
        faults.push_back(fault);
        severities.push_back(severity);
        Message(fault.description, MsgButtons::Ok, MsgIcon::None, {});
    }
    bool Confirm(const std::string& question) override {
        return Message(question, MsgButtons::YesNo, MsgIcon::Question, {}) == MsgAnswer::Yes;
    }

    std::string Input(const std::string& prompt, const std::string&, const std::string& defaultText) override {
        prompts.push_back(prompt);
        if (!inputs.empty()) {
            std::string s = inputs.front();
            inputs.pop_front();
            return s;
        }
        return defaultText;
    }

    void Yield() override { ++yields; }
    double Now() const override { return now_; }
    void SetNow(double now) { now_ = now; }

    std::vector<std::string> captions;
    std::vector<std::string> messages;
    std::vector<Fault> faults;
    std::vector<Severity> severities;
    std::vector<std::string> prompts;
    std::deque<MsgAnswer> answers;
    std::deque<std::string> inputs;
    int yields = 0;

private:
    double now_;
    std::string caption_;
};

}  // namespace tidemark
