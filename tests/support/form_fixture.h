#pragma once

// A main window built the way the program builds it, over a temporary program folder and scripted
// dialogs, for tests that drive its handlers.

#include "app/mp3.h"
#include "support/scripted_dialogs.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace lanseek::test {

class FormTest : public ::testing::Test
{
protected:
    // Builds the window; tests that need another screen or service call it again with their own.
    void makeForm(QSize screen = QSize(1024, 768),
                  const QString& serviceBase = QStringLiteral("http://127.0.0.1:9"))
    {
        form.reset();
        TForm1Options options;
        options.dialogs = &dialogs;
        options.programFolder = folder.path();
        options.screenSize = screen;
        options.service.base = serviceBase;
        form = std::make_unique<TForm1>(options);
    }

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        makeForm();
    }

    void TearDown() override { form.reset(); }

    // Appends a download-list row with a caption, a name and an address.
    void addDownloadRow(const QString& caption, const QString& name)
    {
        form->downloadlistview->appendRow(
            {caption,
             0,
             {name, QStringLiteral("http://127.0.0.1:9/") + name + QStringLiteral(".mp3"),
              QStringLiteral("3.5M"), QStringLiteral("mp3"), folder.filePath(name)}});
    }

    QTemporaryDir folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form;
};

} // namespace lanseek::test
