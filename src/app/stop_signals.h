#pragma once
// The signals that ask a running display to stop (SIGTERM from "systemctl stop" or a
// shutdown, SIGINT from Ctrl+C, SIGHUP from a closed terminal or "systemctl kill -s HUP").
// Their handler only writes the signal's number to a pipe; the interface thread reads it
// from its event loop, where the program can end an operation properly instead of dying
// in the middle of it.
#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <string>

namespace tidemark {

class StopSignals : public QObject {
    Q_OBJECT
public:
    // Puts the handlers in place. Call it before any thread starts; a signal that arrives
    // before a StopSignals object exists waits in the pipe until one does. False when
    // the pipe or a handler could not be set up: the signals then end the program as
    // they would have.
    static bool Install();

    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // "SIGTERM", "SIGINT", "SIGHUP".
    static std::string Name(int signal);

Q_SIGNALS:
    void Received(int signal);

private:
    void ReadPipe();

    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tidemark
