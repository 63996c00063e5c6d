#pragma once

// The card editor's markup commands: tags wrapped around the selected text, the font tag built from the
// colour and font boxes, and the colour names with the digits written for them.

#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace lanseek::card {

struct TagCommand
{
    QString opening;
    QString closing;
    bool focusTest; // acts on an editor only while that editor has the input focus
};

// One editor as the commands see it: its whole text, the selection, and whether it has the focus.
struct EditorState
{
    QString text;
    int selectionStart = 0;
    int selectionLength = 0;
    bool hasFocus = false;
};

// What a command does.
struct MarkupOutcome
{
    enum class Action {
        Nothing,
        ReplaceTextSelection, // in the card text: the selection becomes `replacement`
        SetTitle,             // the whole title becomes `replacement`
        AskForSelection       // the message "请选择相应内容后再点击本按钮！"
    };
    Action action = Action::Nothing;
    QString replacement;
};

inline const QString kAskForSelection = QStringLiteral("请选择相应内容后再点击本按钮！");

// The ten tag commands, in the order of their buttons (跑, 1, 2, 3, 4, 大, 重, 斜, 底, 中).
enum class CardTag {
    Marquee,
    Heading1,
    Heading2,
    Heading3,
    Heading4,
    Big,
    Strong,
    Italic,
    Underline,
    Centre
};
const TagCommand& tagCommand(CardTag tag);
MarkupOutcome wrap(const TagCommand& command, const EditorState& cardText, const EditorState& title);
// A change of colour or font: no focus test, and no message when nothing is selected.
MarkupOutcome applyFont(const QString& openingTag, const EditorState& cardText, const EditorState& title);
// "<font color=#" digits " face='" family "'>"; without a family, "<font color=#" digits ">".
QString fontOpeningTag(const QString& colourDigits, const QString& family);

// The colour box: its entries in order and the digits written for each.
struct NamedColour
{
    QString name;
    QString digits; // six hex digits RRGGBB, or the eight digits of "clDefault" / "clNone"
};
// Resolves the colour of an element of the desktop colour scheme by its system colour index.
using SystemColour = std::function<QColor(int index)>;
std::vector<NamedColour> colourBoxEntries(const SystemColour& systemColour);
// The desktop's colour for a system colour index, from the application palette.
QColor paletteSystemColour(int index);
QString hexDigits(const QColor& colour);

} // namespace lanseek::card
