#pragma once

// Dialogs whose answers a test scripts beforehand and whose texts it reads afterwards.

#include "platform/ui/dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

namespace lanseek::test {

class ScriptedDialogs : public platform::Dialogs
{
public:
    struct FileRequest
    {
        enum class Kind { Open, Save, Folder } kind;
        platform::FileDialogRequest request;
    };

    // Queued answers; when a queue is empty a question is answered No and a file dialog is cancelled.
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> fileAnswers;

    QStringList messages;  // texts of message boxes, in order
    QStringList questions; // texts of Yes/No questions, in order
    std::vector<FileRequest> fileRequests;
    std::vector<int> exits; // exit codes the program asked for

    void message(QWidget*, const QString& text) override { messages << text; }
    bool askYesNo(QWidget*, const QString& text) override
    {
        questions << text;
        if (yesNoAnswers.empty())
            return false;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    std::optional<QString> openFile(QWidget*, const platform::FileDialogRequest& request) override
    {
        fileRequests.push_back({FileRequest::Kind::Open, request});
        return nextFile();
    }
    std::optional<QString> saveFile(QWidget*, const platform::FileDialogRequest& request) override
    {
        fileRequests.push_back({FileRequest::Kind::Save, request});
        return nextFile();
    }
    std::optional<QString> chooseFolder(QWidget*, const QString& initialDir) override
    {
        platform::FileDialogRequest request;
        request.initialDir = initialDir;
        fileRequests.push_back({FileRequest::Kind::Folder, request});
        return nextFile();
    }
    void exitProcess(int code) override { exits.push_back(code); }

private:
    std::optional<QString> nextFile()
    {
        std::optional<QString> answer;
        if (!fileAnswers.empty()) {
            answer.swap(fileAnswers.front());
            fileAnswers.pop_front();
        }
        return answer;
    }
};

} // namespace lanseek::test
