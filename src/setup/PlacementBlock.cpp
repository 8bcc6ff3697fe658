#include "setup/PlacementBlock.h"

#include "setup/SetupFile.h"

namespace PlacementBlock {

WindowPlacement Read(CSetupFile& setup) {
    WindowPlacement p;
    p.showCmd = setup.GetInt("showCmd");
    p.ptMinPositionX = setup.GetInt("ptMinPosition.x");
    p.ptMinPositionY = setup.GetInt("ptMinPosition.y");
    p.ptMaxPositionX = setup.GetInt("ptMaxPosition.x");
    p.ptMaxPositionY = setup.GetInt("ptMaxPosition.y");
    p.rcNormalLeft = setup.GetInt("rcNormalPosition.left");
    p.rcNormalTop = setup.GetInt("rcNormalPosition.top");
    p.rcNormalRight = setup.GetInt("rcNormalPosition.right");
    p.rcNormalBottom = setup.GetInt("rcNormalPosition.bottom");
    return p;
}

void Write(CSetupFile& setup, const WindowPlacement& p) {
    setup.PutInt("showCmd", p.showCmd);
    setup.PutInt("ptMinPosition.x", p.ptMinPositionX);
    setup.PutInt("ptMinPosition.y", p.ptMinPositionY);
    setup.PutInt("ptMaxPosition.x", p.ptMaxPositionX);
    setup.PutInt("ptMaxPosition.y", p.ptMaxPositionY);
    setup.PutInt("rcNormalPosition.left", p.rcNormalLeft);
    setup.PutInt("rcNormalPosition.top", p.rcNormalTop);
    setup.PutInt("rcNormalPosition.right", p.rcNormalRight);
    setup.PutInt("rcNormalPosition.bottom", p.rcNormalBottom);
}

} // namespace PlacementBlock
