#pragma once

#include <QIcon>

// The small images of the toolbars and of the program, drawn at run time so
// that no image files need to be found: a rounded tile with a glyph.
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
};
