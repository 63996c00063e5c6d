#include "card/card_markup.h"

#include <QGuiApplication>
#include <QPalette>

#include <iterator>
#include <map>

namespace lanseek::card {

namespace {

QString wrapped(const TagCommand& command, const QString& inner)
{
    return command.opening + inner + command.closing;
}

QString selected(const EditorState& editor)
{
    return editor.text.mid(editor.selectionStart, editor.selectionLength);
}

} // namespace

const TagCommand& tagCommand(CardTag tag)
{
    // In the order of CardTag. Every command but centring acts only on the editor with the focus.
    static const TagCommand kCommands[] = {
        {QStringLiteral("<br><marquee>"), QStringLiteral("</marquee>"), true},
        {QStringLiteral("<h1>"), QStringLiteral("</h1>"), true},
        {QStringLiteral("<h2>"), QStringLiteral("</h2>"), true},
        {QStringLiteral("<h3>"), QStringLiteral("</h3>"), true},
        {QStringLiteral("<h4>"), QStringLiteral("</h4>"), true},
        {QStringLiteral("<big>"), QStringLiteral("</big>"), true},
        {QStringLiteral("<strong>"), QStringLiteral("</strong>"), true},
        {QStringLiteral("<i>"), QStringLiteral("</i>"), true},
        {QStringLiteral("<u>"), QStringLiteral("</u>"), true},
        {QStringLiteral("<center>"), QStringLiteral("</center>"), false},
    };
    static_assert(std::size(kCommands) == static_cast<std::size_t>(CardTag::Centre) + 1);
    return kCommands[static_cast<std::size_t>(tag)];
}

MarkupOutcome wrap(const TagCommand& command, const EditorState& cardText, const EditorState& title)
{
    if (cardText.selectionLength > 0) {
        if (command.focusTest && !cardText.hasFocus)
            return {};
        return {MarkupOutcome::Action::ReplaceTextSelection, wrapped(command, selected(cardText))};
    }
    if (title.selectionLength <= 0)
        return {MarkupOutcome::Action::AskForSelection, {}};
    if (command.focusTest && !title.hasFocus)
        return {};
    // The title becomes the wrapped selection; title text outside the selection is dropped.
    return {MarkupOutcome::Action::SetTitle, wrapped(command, selected(title))};
}

MarkupOutcome applyFont(const QString& openingTag, const EditorState& cardText, const EditorState& title)
{
    const TagCommand font{openingTag, QStringLiteral("</font>"), false};
    if (cardText.selectionLength > 0)
        return {MarkupOutcome::Action::ReplaceTextSelection, wrapped(font, selected(cardText))};
    if (title.selectionLength > 0)
        return {MarkupOutcome::Action::SetTitle, wrapped(font, selected(title))};
    return {};
}

QString fontOpeningTag(const QString& colourDigits, const QString& family)
{
    // With no family chosen the text keeps the page's font: an empty face would ask the browser for a
    // font named "" instead.
    if (family.isEmpty())
        return QStringLiteral("<font color=#") + colourDigits + QStringLiteral(">");
    return QStringLiteral("<font color=#") + colourDigits + QStringLiteral(" face='") + family +
           QStringLiteral("'>");
}

QString hexDigits(const QColor& colour)
{
    return QStringLiteral("%1%2%3")
        .arg(colour.red(), 2, 16, QLatin1Char('0'))
        .arg(colour.green(), 2, 16, QLatin1Char('0'))
        .arg(colour.blue(), 2, 16, QLatin1Char('0'))
        .toUpper();
}

std::vector<NamedColour> colourBoxEntries(const SystemColour& systemColour)
{
    std::vector<NamedColour> entries = {
        {"clBlack", "000000"},      {"clMaroon", "800000"},  {"clGreen", "008000"}, {"clOlive", "808000"},
        {"clNavy", "000080"},       {"clPurple", "800080"},  {"clTeal", "008080"},  {"clGray", "808080"},
        {"clSilver", "C0C0C0"},     {"clRed", "FF0000"},     {"clLime", "00FF00"},  {"clYellow", "FFFF00"},
        {"clBlue", "0000FF"},       {"clFuchsia", "FF00FF"}, {"clAqua", "00FFFF"},  {"clWhite", "FFFFFF"},
        {"clMoneyGreen", "C0DCC0"}, {"clSkyBlue", "A6CAF0"}, {"clCream", "FFFBF0"}, {"clMedGray", "A0A0A4"},
    };
    struct SchemeEntry
    {
        const char* name;
        int index; // -1: written as its own code
        const char* code;
    };
    const SchemeEntry scheme[] = {
        {"clActiveBorder", 10, nullptr},
        {"clActiveCaption", 2, nullptr},
        {"clAppWorkSpace", 12, nullptr},
        {"clBackground", 1, nullptr},
        {"clBtnFace", 15, nullptr},
        {"clBtnHighlight", 20, nullptr},
        {"clBtnShadow", 16, nullptr},
        {"clBtnText", 18, nullptr},
        {"clCaptionText", 9, nullptr},
        {"clDefault", -1, "20000000"},
        {"clGradientActiveCaption", 27, nullptr},
        {"clGradientInactiveCaption", 28, nullptr},
        {"clGrayText", 17, nullptr},
        {"clHighlight", 13, nullptr},
        {"clHighlightText", 14, nullptr},
        {"clInactiveBorder", 11, nullptr},
        {"clInactiveCaption", 3, nullptr},
        {"clInactiveCaptionText", 19, nullptr},
        {"clInfoBk", 24, nullptr},
        {"clInfoText", 23, nullptr},
        {"clMenu", 4, nullptr},
        {"clMenuText", 7, nullptr},
        {"clNone", -1, "1FFFFFFF"},
        {"clScrollBar", 0, nullptr},
        {"cl3DDkShadow", 21, nullptr},
        {"cl3DLight", 22, nullptr},
        {"clWindow", 5, nullptr},
        {"clWindowFrame", 6, nullptr},
        {"clWindowText", 8, nullptr},
    };
    for (const SchemeEntry& e : scheme) {
        const QString digits = e.index < 0 ? QString::fromLatin1(e.code) : hexDigits(systemColour(e.index));
        entries.push_back({QString::fromLatin1(e.name), digits});
    }
    return entries;
}

QColor paletteSystemColour(int index)
{
    // The desktop colour scheme as this platform's palette describes it, by system colour index. The
    // two caption gradients are their caption's highlight, lightened.
    struct SchemeRole
    {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
        bool lighter = false;
    };
    using R = QPalette::ColorRole;
    constexpr QPalette::ColorGroup A = QPalette::Active;
    constexpr QPalette::ColorGroup I = QPalette::Inactive;
    static const std::map<int, SchemeRole> scheme = {
        {0, {A, R::Button}},                 // scroll bar
        {1, {A, R::Dark}},                   // desktop
        {2, {A, R::Highlight}},              // active caption
        {3, {I, R::Highlight}},              // inactive caption
        {4, {A, R::Window}},                 // menu
        {5, {A, R::Base}},                   // window
        {6, {A, R::Shadow}},                 // window frame
        {7, {A, R::WindowText}},             // menu text
        {8, {A, R::Text}},                   // window text
        {9, {A, R::HighlightedText}},        // caption text
        {10, {A, R::Window}},                // active border
        {11, {I, R::Window}},                // inactive border
        {12, {A, R::Mid}},                   // application workspace
        {13, {A, R::Highlight}},             // highlight
        {14, {A, R::HighlightedText}},       // highlighted text
        {15, {A, R::Button}},                // button face
        {16, {A, R::Dark}},                  // button shadow
        {17, {QPalette::Disabled, R::Text}}, // grey text
        {18, {A, R::ButtonText}},            // button text
        {19, {I, R::HighlightedText}},       // inactive caption text
        {20, {A, R::Light}},                 // button highlight
        {21, {A, R::Shadow}},                // 3-D dark shadow
        {22, {A, R::Midlight}},              // 3-D light
        {23, {A, R::ToolTipText}},           // info text
        {24, {A, R::ToolTipBase}},           // info background
        {27, {A, R::Highlight, true}},       // gradient of the active caption
        {28, {I, R::Highlight, true}},       // gradient of the inactive caption
    };
    const auto found = scheme.find(index);
    if (found == scheme.end())
        return Qt::black;
    const QColor colour = QGuiApplication::palette().color(found->second.group, found->second.role);
    return found->second.lighter ? colour.lighter(130) : colour;
}

} // namespace lanseek::card
