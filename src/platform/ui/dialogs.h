#pragma once

// Every message box, question and file or folder dialog of the program goes through this interface, so
// tests can script the answers and read the texts. Ending the process goes through it too, so a test sees
// the exit without its own process ending.

#include <QString>

#include <optional>

class QWidget;

namespace lanseek::platform {

// A filter in the program's own notation: description and pattern pairs separated by vertical bars,
// e.g. "real列表(*.rpm)|*.rpm|winmedia列表(*.asx)|*.asx".
struct FileDialogRequest
{
    QString filter;
    QString initialDir;   // empty: the dialog's own choice
    QString proposedName; // save dialogs: the name offered in the name field
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A simple message box with an OK button, in the main window's style.
    virtual void message(QWidget* parent, const QString& text) = 0;
    // A warning box with Yes and No buttons; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<QString> openFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& initialDir) = 0;
    // Ends the process at once with the given code; no further clean-up runs.
    virtual void exitProcess(int code) = 0;
};

// Converts a filter in the program's notation into Qt's "Description (*.a *.b);;..." form.
QString toQtFilter(const QString& programFilter);

// The real dialogs, shown modally over the parent window.
class QtDialogs : public Dialogs
{
public:
    void message(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    std::optional<QString> openFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> saveFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& initialDir) override;
    [[noreturn]] void exitProcess(int code) override;
};

} // namespace lanseek::platform
