#pragma once

#include "platform/WindowPlacement.h"

// The main frame's part of the window layout section: the frame and its three
// bars, whether each bar is shown, and the View settings of the windows.
// Visibility is stored as the window's visible-style bit; a View setting
// that is off is not stored at all.
struct MainFrameLayout {
    static constexpr int Visible = 268435456;

    WindowPlacement mainFrame;
    WindowPlacement consoleBar;
    WindowPlacement statusBar;
    WindowPlacement toolBar;
    int consoleBarShown = Visible;
    int statusBarShown = Visible;
    int toolBarShown = Visible;
    // A time before each line of the windows, and typed lines shown in
    // their port's window.
    bool timestamps = false;
    bool localEcho = false;

    bool operator==(const MainFrameLayout&) const = default;
};
