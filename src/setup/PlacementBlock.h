#pragma once

#include "platform/WindowPlacement.h"

class CSetupFile;

// The nine lines of a window placement in the setup file:
//
//   showCmd=1
//   ptMinPosition.x=-1
//   ptMinPosition.y=-1
//   ptMaxPosition.x=-1
//   ptMaxPosition.y=-1
//   rcNormalPosition.left=22
//   rcNormalPosition.top=29
//   rcNormalPosition.right=622
//   rcNormalPosition.bottom=429
namespace PlacementBlock {

WindowPlacement Read(CSetupFile& setup);
void Write(CSetupFile& setup, const WindowPlacement& placement);

} // namespace PlacementBlock
