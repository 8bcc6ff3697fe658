#pragma once

// The placement of a window as the setup file stores it: nine numbers, in the
// order they are written. "showCmd" is 1 normal, 2 minimised, 3 maximised.
struct WindowPlacement {
    int showCmd = 1;
    int ptMinPositionX = -1;
    int ptMinPositionY = -1;
    int ptMaxPositionX = -1;
    int ptMaxPositionY = -1;
    int rcNormalLeft = 0;
    int rcNormalTop = 0;
    int rcNormalRight = 0;
    int rcNormalBottom = 0;

    bool operator==(const WindowPlacement&) const = default;
};
