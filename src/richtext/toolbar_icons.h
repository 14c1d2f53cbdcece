#pragma once
// The tool bar's pictures, drawn here so they look the same on every desktop and offscreen.
#include <QIcon>

namespace quillon::richtext {

enum class ToolIcon {
  Normal, Bold, Italic, Underline, AlignLeft, AlignRight, AlignJustify, AlignCentre,
  Copy, Cut, Paste, Spell, ParagraphProperties, PageBreak, WordWrap, DefaultFont, InsertField
};

QIcon toolIcon(ToolIcon kind);

}  // namespace quillon::richtext
