#pragma once

// The save-folder chooser: a folder tree, the chosen path and "确定". What the chosen folder is used for
// (the music folder, or in row-path mode the save paths of the selected download-list rows) is the
// downloads' business: "确定" hands the folder to them. It is created once, hidden, and is only shown and
// hidden afterwards; showing it never blocks the main window.

#include "app/shared/error_policy.h"
#include "skin/controls/se_controls.h"
#include "skin/forms/se_skin_form.h"

#include <QWidget>

#include <functional>
#include <memory>

class QTreeView;
class TSeSkinEngine;
namespace lanseek::platform {
class FolderTreeModel;
} // namespace lanseek::platform

class TForm2 : public QWidget
{
    Q_OBJECT
public:
    using FolderChosen = std::function<void(const QString& folder)>;

    // A separate top-level window that owner owns, dressed by engine; chosen receives "确定"'s folder.
    TForm2(QWidget* owner, TSeSkinEngine* engine, lanseek::app::ErrorPolicy& errors, FolderChosen chosen);
    ~TForm2() override;

    QTreeView* ShellTreeView1 = nullptr;
    TSeSkinEdit* pathedit = nullptr;
    TSeSkinButton* pathbtn = nullptr; // "确定"

    // Shows the chooser centred on the desktop, without blocking.
    void showChooser();

    void ShellTreeView1Click();
    void pathbtnClick();

    // The chooser's skinned frame; a member, so that it goes while the chooser is still whole.
    std::unique_ptr<TSeSkinForm> SeSkinForm1;

    // The tree's folders. Reading the desktop's places and their icons is left until the tree is first
    // needed, when the chooser is shown or asked for them, so that making the chooser costs nothing.
    lanseek::platform::FolderTreeModel* folderModel();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fitCaption();
    lanseek::app::ErrorPolicy& m_errors;
    FolderChosen m_chosen;
    lanseek::platform::FolderTreeModel* m_model = nullptr;
};
