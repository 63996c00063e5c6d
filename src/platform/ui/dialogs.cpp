#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace lanseek::platform {

namespace {

// The program's descriptions already show their patterns ("real播放列表(*.rpm)"), and Qt shows the
// patterns of a filter after its description as well. The description keeps its words only, so that
// each pattern is shown once, in the place Qt gives it.
QString descriptionWithoutPatterns(const QString& description)
{
    static const QRegularExpression patternGroup(QStringLiteral("\\s*[(（][^()（）]*\\*[^()（）]*[)）]"));
    QString words = description;
    words.remove(patternGroup);
    return words.trimmed();
}

} // namespace

QString toQtFilter(const QString& programFilter)
{
    const QStringList parts = programFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns = patterns.simplified();
        QString words = descriptionWithoutPatterns(parts[i]);
        if (words.isEmpty())
            words = patterns;
        filters << words + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

static QString title()
{
    return QApplication::applicationDisplayName().isEmpty() ? QApplication::applicationName()
                                                            : QApplication::applicationDisplayName();
}

void QtDialogs::message(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, title(), text);
}

bool QtDialogs::askYesNo(QWidget* parent, const QString& text)
{
    return QMessageBox::warning(parent, title(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

std::optional<QString> QtDialogs::openFile(QWidget* parent, const FileDialogRequest& request)
{
    const QString path =
        QFileDialog::getOpenFileName(parent, QString(), request.initialDir, toQtFilter(request.filter));
    if (path.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(path);
}

std::optional<QString> QtDialogs::saveFile(QWidget* parent, const FileDialogRequest& request)
{
    QString start = request.proposedName;
    if (!request.initialDir.isEmpty())
        start = QDir(request.initialDir).filePath(request.proposedName);
    // The program's proposal already carries its extension, so the dialog must not add one.
    QFileDialog dialog(parent, QString(), start, toQtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString());
    if (!request.proposedName.isEmpty())
        dialog.selectFile(start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

std::optional<QString> QtDialogs::chooseFolder(QWidget* parent, const QString& initialDir)
{
    const QString path = QFileDialog::getExistingDirectory(parent, QString(), initialDir);
    if (path.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(path);
}

void QtDialogs::exitProcess(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}

} // namespace lanseek::platform
