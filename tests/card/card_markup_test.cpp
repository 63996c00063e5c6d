#include "card/card_markup.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

using namespace lanseek::card;
using Action = MarkupOutcome::Action;

namespace {
const TagCommand kH1{QStringLiteral("<h1>"), QStringLiteral("</h1>"), true};
const TagCommand kCentre{QStringLiteral("<center>"), QStringLiteral("</center>"), false};
const TagCommand kRun{QStringLiteral("<br><marquee>"), QStringLiteral("</marquee>"), true};

EditorState editor(const QString& text, int start, int length, bool focus)
{
    return {text, start, length, focus};
}
} // namespace

TEST(Wrap, CardTextSelectionWithFocusIsWrapped)
{
    const auto outcome = wrap(kRun, editor("say hello", 4, 5, true), editor("标题", 0, 0, false));
    EXPECT_EQ(outcome.action, Action::ReplaceTextSelection);
    EXPECT_EQ(outcome.replacement, QStringLiteral("<br><marquee>hello</marquee>"));
}

TEST(Wrap, FocusTestedCommandsIgnoreTheTextWhileTheTitleHasFocus)
{
    const auto title = editor("two words", 4, 5, true);
    EXPECT_EQ(wrap(kH1, editor("abc", 0, 3, false), title).action, Action::Nothing);
    // "中" has no focus test and wraps the card text anyway.
    const auto centred = wrap(kCentre, editor("abc", 0, 3, false), title);
    EXPECT_EQ(centred.action, Action::ReplaceTextSelection);
    EXPECT_EQ(centred.replacement, QStringLiteral("<center>abc</center>"));
}

TEST(Wrap, TitleSelectionReplacesTheWholeTitle)
{
    const auto outcome = wrap(kH1, editor("", 0, 0, false), editor("two words", 4, 5, true));
    EXPECT_EQ(outcome.action, Action::SetTitle);
    EXPECT_EQ(outcome.replacement, QStringLiteral("<h1>words</h1>"));
    EXPECT_EQ(wrap(kH1, editor("", 0, 0, true), editor("two words", 4, 5, false)).action, Action::Nothing);
}

TEST(Wrap, NothingSelectedAsksForASelection)
{
    EXPECT_EQ(wrap(kCentre, editor("abc", 1, 0, true), editor("t", 0, 0, false)).action,
              Action::AskForSelection);
}

TEST(Font, OpeningTagAndNoFocusTest)
{
    const QString tag = fontOpeningTag(QStringLiteral("FF0000"), QStringLiteral("宋体"));
    EXPECT_EQ(tag, QStringLiteral("<font color=#FF0000 face='宋体'>"));
    const auto outcome = applyFont(tag, editor("Hi", 0, 2, false), editor("", 0, 0, false));
    EXPECT_EQ(outcome.replacement, QStringLiteral("<font color=#FF0000 face='宋体'>Hi</font>"));
    EXPECT_EQ(applyFont(tag, editor("", 0, 0, false), editor("ab", 0, 1, false)).replacement,
              QStringLiteral("<font color=#FF0000 face='宋体'>a</font>"));
    EXPECT_EQ(applyFont(tag, editor("x", 0, 0, true), editor("ab", 0, 0, true)).action, Action::Nothing);
}

TEST(Font, NoFamilyChosenWritesTheColourAlone)
{
    EXPECT_EQ(fontOpeningTag(QStringLiteral("0000FF"), QString()), QStringLiteral("<font color=#0000FF>"));
    EXPECT_EQ(fontOpeningTag(QStringLiteral("1FFFFFFF"), QString()),
              QStringLiteral("<font color=#1FFFFFFF>"));
}

TEST(Colours, FixedNamesThenSchemeNamesInOrder)
{
    const auto entries = colourBoxEntries([](int index) { return QColor(index, 2 * index, 3 * index); });
    ASSERT_EQ(entries.size(), 49u);
    EXPECT_EQ(entries[0].name, QStringLiteral("clBlack"));
    EXPECT_EQ(entries[0].digits, QStringLiteral("000000"));
    EXPECT_EQ(entries[9].name, QStringLiteral("clRed"));
    EXPECT_EQ(entries[9].digits, QStringLiteral("FF0000"));
    EXPECT_EQ(entries[17].digits, QStringLiteral("A6CAF0"));
    EXPECT_EQ(entries[19].name, QStringLiteral("clMedGray"));
    EXPECT_EQ(entries[20].name, QStringLiteral("clActiveBorder"));
    EXPECT_EQ(entries[20].digits, QStringLiteral("0A141E")); // index 10 through the scheme
    EXPECT_EQ(entries[29].name, QStringLiteral("clDefault"));
    EXPECT_EQ(entries[29].digits, QStringLiteral("20000000"));
    EXPECT_EQ(entries[42].name, QStringLiteral("clNone"));
    EXPECT_EQ(entries[42].digits, QStringLiteral("1FFFFFFF"));
    EXPECT_EQ(entries[48].name, QStringLiteral("clWindowText"));
}

TEST(Colours, HexDigitsAreUpperCase)
{
    EXPECT_EQ(hexDigits(QColor(0xab, 0x0c, 0xff)), QStringLiteral("AB0CFF"));
}

TEST(Colours, SchemeIndexesReadTheirPaletteRoles)
{
    const QPalette p = QGuiApplication::palette();
    EXPECT_EQ(paletteSystemColour(5), p.color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(paletteSystemColour(11), p.color(QPalette::Inactive, QPalette::Window));
    EXPECT_EQ(paletteSystemColour(17), p.color(QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(paletteSystemColour(24), p.color(QPalette::Active, QPalette::ToolTipBase));
    EXPECT_EQ(paletteSystemColour(28), p.color(QPalette::Inactive, QPalette::Highlight).lighter(130));
    // Indexes the scheme does not describe are black.
    for (int index : {-1, 25, 26, 29})
        EXPECT_EQ(paletteSystemColour(index), QColor(Qt::black)) << index;
}

TEST(TagCommands, EachClosesWhatItOpensAndOnlyCentringIgnoresTheFocus)
{
    const CardTag all[] = {CardTag::Marquee,   CardTag::Heading1, CardTag::Heading2, CardTag::Heading3,
                           CardTag::Heading4,  CardTag::Big,      CardTag::Strong,   CardTag::Italic,
                           CardTag::Underline, CardTag::Centre};
    QStringList openings;
    for (CardTag tag : all) {
        const TagCommand& command = tagCommand(tag);
        // The closing tag ends the last element the opening starts.
        const qsizetype last = command.opening.lastIndexOf(u'<');
        EXPECT_EQ(command.closing, QStringLiteral("</") + command.opening.mid(last + 1))
            << command.opening.toStdString();
        EXPECT_EQ(command.focusTest, tag != CardTag::Centre) << command.opening.toStdString();
        openings << command.opening;
    }
    openings.removeDuplicates();
    EXPECT_EQ(openings.size(), 10);
    EXPECT_EQ(tagCommand(CardTag::Marquee).opening, QStringLiteral("<br><marquee>"));
    EXPECT_EQ(tagCommand(CardTag::Heading3).opening, QStringLiteral("<h3>"));
}
