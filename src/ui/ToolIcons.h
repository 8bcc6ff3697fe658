#pragma once

#include <QIcon>

// The small images of the toolbars and of the program: the desktop's icon
// theme under the standard freedesktop names, and where it has none, a
// picture drawn at run time that needs no file.
class CToolIcons {
  public:
    enum class Image {
        New,
        Open,
        Save,
        Cut,
        Copy,
        Paste,
        About,
        Connect,
        Disconnect,
        EditPort,
        EditScript,
        StopScript,
        Program
    };
    static QIcon Of(Image image);
    // Lets an installed full-colour theme supply what the desktop's theme
    // lacks; called once at start-up.
    static void UseInstalledTheme();
};
