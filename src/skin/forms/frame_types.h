#pragma once

// The settings of a skinned window frame: its style, caption buttons, states and how it is dragged.

#include "skin/skin_types.h"

#include <QSize>

enum TSeBorderStyle { kbsNone, kbsStandard, kbsToolWindow };
enum TSeWindowState { kwsNormal, kwsMaximized, kwsMinimized, kwsRollup, kwsTray };
enum TSeFormPerformance { ksfpNoBuffer, ksfpSharedBuffer, ksfpPersistentBuffer, ksfpDoubleBuffer };
enum TSeFormDragMode { kfdmBorder, kfdmFullDrag };

// A set of TSeBorderIcon values, bit i for value i.
class TSeBorderIcons
{
public:
    constexpr TSeBorderIcons() = default;
    constexpr TSeBorderIcons(std::initializer_list<TSeBorderIcon> icons)
    {
        for (TSeBorderIcon icon : icons)
            m_bits |= bit(icon);
    }
    // Every icon but help: what a new frame shows.
    static constexpr TSeBorderIcons standard()
    {
        return {kbiClose, kbiSystemMenu, kbiMinimize, kbiMaximize, kbiRollup, kbiTray};
    }
    constexpr bool has(TSeBorderIcon icon) const { return (m_bits & bit(icon)) != 0; }
    constexpr unsigned bits() const { return m_bits; }
    constexpr bool operator==(const TSeBorderIcons&) const = default;

private:
    static constexpr unsigned bit(TSeBorderIcon icon) { return 1u << static_cast<unsigned>(icon); }
    unsigned m_bits = 0;
};

struct TSeFormDragging
{
    bool Moveable = true;
    bool Sizeable = true;
    TSeFormDragMode DragMode = kfdmFullDrag;
};

struct TSeFormGravitation
{
    bool Enabled = true;
    int Size = 20;
};

// Size limits of the window; 0 means "not set".
struct TSeSizeConstraints
{
    int MinWidth = 0;
    int MinHeight = 0;
    int MaxWidth = 0;
    int MaxHeight = 0;
    constexpr bool operator==(const TSeSizeConstraints&) const = default;
};

namespace lanseek::skin {

// Where a point of the window lies, as far as the frame is concerned.
enum class FrameZone {
    Client,
    Caption,
    Left,
    Top,
    Right,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
    CaptionButton,
};

// The smallest size a frame lets the mouse make of a window.
inline constexpr QSize kMinimumFrameSize{150, 40};

} // namespace lanseek::skin
