#pragma once

#include "platform/WindowPlacement.h"

// The main frame's part of the window layout section: the frame and its three
// bars, and whether each bar is shown. Visibility is stored as the window's
// visible-style bit.
struct MainFrameLayout {
    static constexpr int Visible = 268435456;

    WindowPlacement mainFrame;
    WindowPlacement consoleBar;
    WindowPlacement statusBar;
    WindowPlacement toolBar;
    int consoleBarShown = Visible;
    int statusBarShown = Visible;
    int toolBarShown = Visible;

    bool operator==(const MainFrameLayout&) const = default;
};
