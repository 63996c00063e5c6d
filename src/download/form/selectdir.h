#pragma once

// The save-folder chooser: a folder tree, the chosen path and "确定". It either sets the music folder or,
// in row-path mode, rewrites the save paths of the selected download-list rows. It is created once, hidden,
// and is only shown and hidden afterwards; showing it never blocks the main window.

#include "skin/controls/se_controls.h"
#include "skin/forms/se_skin_form.h"

#include <QWidget>

#include <memory>

class QTreeView;
class TForm1;
namespace lanseek::platform {
class FolderTreeModel;
} // namespace lanseek::platform

class TForm2 : public QWidget
{
    Q_OBJECT
public:
    // A separate top-level window that the main window owns.
    explicit TForm2(TForm1* owner);
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
    TForm1* m_owner;
    lanseek::platform::FolderTreeModel* m_model = nullptr;
};
