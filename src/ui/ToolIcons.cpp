#include "ui/ToolIcons.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

namespace {

struct Look {
    const char* glyph;
    QColor tile;
};

Look LookOf(CToolIcons::Image image) {
    using I = CToolIcons::Image;
    switch (image) {
    case I::New:
        return {"N", QColor(0x4a, 0x7a, 0xb8)};
    case I::Open:
        return {"O", QColor(0xc8, 0x96, 0x2a)};
    case I::Save:
        return {"S", QColor(0x3a, 0x5a, 0x8a)};
    case I::Cut:
        return {"X", QColor(0x80, 0x80, 0x80)};
    case I::Copy:
        return {"C", QColor(0x80, 0x80, 0x80)};
    case I::Paste:
        return {"V", QColor(0x80, 0x80, 0x80)};
    case I::About:
        return {"?", QColor(0x30, 0x80, 0xc0)};
    case I::Connect:
        return {"\u25B6", QColor(0x2e, 0x8b, 0x3a)};
    case I::Disconnect:
        return {"\u25A0", QColor(0xb8, 0x32, 0x2a)};
    case I::EditPort:
        return {"P", QColor(0x6a, 0x4a, 0xa8)};
    case I::EditScript:
        return {"S", QColor(0x2a, 0x8a, 0x8a)};
    case I::StopScript:
        return {"\u00D7", QColor(0xa8, 0x6a, 0x2a)};
    case I::Program:
        return {"DX", QColor(0x1c, 0x4e, 0x8a)};
    }
    return {"", QColor(Qt::gray)};
}

QPixmap Draw(const Look& look, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(look.tile);
    painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1.0, size - 1.0), size / 5.0, size / 5.0);
    QFont font;
    font.setBold(true);
    font.setPixelSize(QString::fromUtf8(look.glyph).size() > 1 ? size * 9 / 20 : size * 3 / 4);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString::fromUtf8(look.glyph));
    return pixmap;
}

} // namespace

QIcon CToolIcons::Of(Image image) {
    const Look look = LookOf(image);
    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addPixmap(Draw(look, size));
    }
    return icon;
}
