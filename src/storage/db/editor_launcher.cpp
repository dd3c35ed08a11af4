#include "storage/db/editor_launcher.h"

#include <QtCore/QByteArray>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QString>
#include <QtCore/QStringList>

namespace tidemark {

namespace {

// The program and arguments an editor variable names, quoting as a shell would read it.
std::vector<std::string> SplitEditorVariable(const std::string& value) {
    std::vector<std::string> words;
    for (const QString& word : QProcess::splitCommand(QString::fromLocal8Bit(QByteArray::fromStdString(value))))
        words.push_back(word.toLocal8Bit().toStdString());
    return words;
}

// Program text and file names are bytes; the file name keeps its bytes exactly.
QString FileArgument(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

}  // namespace

std::vector<std::vector<std::string>> EditorCommands(const std::string& path, const std::string& visual,
                                                     const std::string& editor) {
    std::vector<std::vector<std::string>> commands;
    for (const std::string* variable : {&visual, &editor}) {
        std::vector<std::string> words = SplitEditorVariable(*variable);
        if (words.empty()) continue;
        words.push_back(path);
        commands.push_back(std::move(words));
    }
    commands.push_back({"xdg-open", path});
    return commands;
}

bool OpenInEditor(const std::string& path) {
    const std::string visual = qEnvironmentVariable("VISUAL").toLocal8Bit().toStdString();
    const std::string editor = qEnvironmentVariable("EDITOR").toLocal8Bit().toStdString();
    for (const std::vector<std::string>& command : EditorCommands(path, visual, editor)) {
        QStringList arguments;
        for (size_t i = 1; i + 1 < command.size(); ++i)
            arguments << QString::fromLocal8Bit(QByteArray::fromStdString(command[i]));
        arguments << FileArgument(command.back());
        QString program = QString::fromLocal8Bit(QByteArray::fromStdString(command.front()));
        // A variable naming a program that is not installed falls through to the next.
        if (QProcess::startDetached(program, arguments)) return true;
    }
    return false;
}

}  // namespace tidemark
