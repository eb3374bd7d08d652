// The program's own icon set: one small vector picture per command of the toolbars, the panel
// pages, the snap bar and the layer strip, drawn in one style (dark blue strokes on a 24-unit
// grid, the part that says what the command does in orange) and registered as the commands'
// images (platform/afx/CommandImage.h) at the sizes the bars use.
#pragma once

#include "platform/win/WinTypes.h"

#include <span>
#include <string>

namespace velmora::app {

struct CommandIcon {
  UINT id;
  const char* body;  // SVG elements on a 24 x 24 grid; "ACC" marks accent strokes, "ACF" fills
};

// Every icon of the set, by command id (the layer strip's buttons by their tool ids).
std::span<const CommandIcon> CommandIcons();
// A whole SVG document of an icon body in the set's style.
std::string CommandIconSvg(const char* body);
// Renders the set and registers each picture for its command; the number registered.
int RegisterCommandIcons();

}  // namespace velmora::app
