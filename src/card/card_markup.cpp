#include "card/card_markup.h"

#include <QGuiApplication>
#include <QPalette>

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
    const QPalette p = QGuiApplication::palette();
    using R = QPalette::ColorRole;
    auto active = [&p](R role) { return p.color(QPalette::Active, role); };
    auto inactive = [&p](R role) { return p.color(QPalette::Inactive, role); };
    // The desktop colour scheme as this platform's palette describes it.
    switch (index) {
    case 0:
        return active(R::Button); // scroll bar
    case 1:
        return active(R::Dark); // desktop
    case 2:
        return active(R::Highlight); // active caption
    case 3:
        return inactive(R::Highlight); // inactive caption
    case 4:
        return active(R::Window); // menu
    case 5:
        return active(R::Base); // window
    case 6:
        return active(R::Shadow); // window frame
    case 7:
        return active(R::WindowText); // menu text
    case 8:
        return active(R::Text); // window text
    case 9:
        return active(R::HighlightedText); // caption text
    case 10:
        return active(R::Window); // active border
    case 11:
        return inactive(R::Window); // inactive border
    case 12:
        return active(R::Mid); // application workspace
    case 13:
        return active(R::Highlight); // highlight
    case 14:
        return active(R::HighlightedText); // highlighted text
    case 15:
        return active(R::Button); // button face
    case 16:
        return active(R::Dark); // button shadow
    case 17:
        return p.color(QPalette::Disabled, R::Text); // grey text
    case 18:
        return active(R::ButtonText); // button text
    case 19:
        return inactive(R::HighlightedText); // inactive caption text
    case 20:
        return active(R::Light); // button highlight
    case 21:
        return active(R::Shadow); // 3-D dark shadow
    case 22:
        return active(R::Midlight); // 3-D light
    case 23:
        return active(R::ToolTipText); // info text
    case 24:
        return active(R::ToolTipBase); // info background
    case 27:
        return active(R::Highlight).lighter(130); // gradient of the active caption
    case 28:
        return inactive(R::Highlight).lighter(130); // gradient of the inactive caption
    default:
        return Qt::black;
    }
}

} // namespace lanseek::card
