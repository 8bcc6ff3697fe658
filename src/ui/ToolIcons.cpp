#include "ui/ToolIcons.h"

#include <QFile>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

namespace {

using I = CToolIcons::Image;

// Icon theme names, the first one found wins. Connect, Disconnect and Stop
// Script are always drawn here: many themes give them one grey colour that
// reads as greyed out, or a red cross that reads as "close".
struct Names {
    const char* first;
    const char* second;
};

Names NamesOf(I image) {
    switch (image) {
    case I::New:
        return {"document-new", nullptr};
    case I::Open:
        return {"document-open", nullptr};
    case I::Save:
        return {"document-save", nullptr};
    case I::Cut:
        return {"edit-cut", nullptr};
    case I::Copy:
        return {"edit-copy", nullptr};
    case I::Paste:
        return {"edit-paste", nullptr};
    case I::About:
        return {"help-about", nullptr};
    case I::Connect:
    case I::Disconnect:
        return {nullptr, nullptr};
    case I::EditPort:
        return {"document-properties", nullptr};
    case I::EditScript:
        return {"accessories-text-editor", "document-edit"};
    case I::StopScript:
        return {nullptr, nullptr};
    case I::Program:
        return {nullptr, nullptr};
    }
    return {nullptr, nullptr};
}

const QColor Ink(0x3c, 0x3c, 0x3c);
const QColor Paper(0xfb, 0xfb, 0xf8);

// A sheet of paper with a folded corner, on the 16 by 16 grid.
void Sheet(QPainter& p, qreal x, qreal y, qreal w, qreal h) {
    QPolygonF page;
    page << QPointF(x, y) << QPointF(x + w - 3, y) << QPointF(x + w, y + 3) << QPointF(x + w, y + h)
         << QPointF(x, y + h);
    p.setPen(QPen(Ink, 0.9));
    p.setBrush(Paper);
    p.drawPolygon(page);
    p.drawLine(QPointF(x + w - 3, y), QPointF(x + w - 3, y + 3));
    p.drawLine(QPointF(x + w - 3, y + 3), QPointF(x + w, y + 3));
}

void TextLines(QPainter& p, qreal x, qreal y, qreal w, int count) {
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 0.8));
    for (int i = 0; i < count; ++i) {
        p.drawLine(QPointF(x, y + 2 * i), QPointF(x + w, y + 2 * i));
    }
}

// The picture of each image, drawn on a 16 by 16 grid.
void Picture(QPainter& p, I image) {
    switch (image) {
    case I::New:
        Sheet(p, 3, 1.5, 10, 13);
        p.setPen(QPen(QColor(0xe0, 0xa0, 0x10), 1.6));
        p.drawLine(QPointF(11, 9), QPointF(11, 15));
        p.drawLine(QPointF(8, 12), QPointF(14, 12));
        break;
    case I::Open:
        p.setPen(QPen(Ink, 0.9));
        p.setBrush(QColor(0xd8, 0xa8, 0x40));
        p.drawRect(QRectF(1.5, 3.5, 12, 10));
        p.setBrush(QColor(0xf0, 0xc8, 0x60));
        p.drawPolygon(QPolygonF() << QPointF(3.5, 6.5) << QPointF(15, 6.5) << QPointF(13.5, 13.5)
                                  << QPointF(1.5, 13.5));
        break;
    case I::Save:
        p.setPen(QPen(Ink, 0.9));
        p.setBrush(QColor(0x3a, 0x66, 0xa8));
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.setBrush(Paper);
        p.drawRect(QRectF(4, 1.5, 8, 5));
        p.setBrush(QColor(0xc8, 0xd0, 0xd8));
        p.drawRect(QRectF(4, 9.5, 8, 5));
        break;
    case I::Cut:
        p.setPen(QPen(Ink, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(4, 1.5), QPointF(10.5, 11));
        p.drawLine(QPointF(12, 1.5), QPointF(5.5, 11));
        p.setPen(QPen(QColor(0xb8, 0x32, 0x2a), 1.4));
        p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
        p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
        break;
    case I::Copy:
        Sheet(p, 1.5, 1.5, 8, 10);
        Sheet(p, 6.5, 4.5, 8, 10);
        TextLines(p, 8, 8.5, 5, 3);
        break;
    case I::Paste:
        p.setPen(QPen(Ink, 0.9));
        p.setBrush(QColor(0xb0, 0x80, 0x50));
        p.drawRoundedRect(QRectF(2, 2.5, 10, 12), 1, 1);
        p.setBrush(QColor(0xa0, 0xa0, 0xa0));
        p.drawRect(QRectF(4.5, 1.5, 5, 2.5));
        Sheet(p, 7, 6, 7.5, 8.5);
        break;
    case I::About:
        p.setPen(QPen(QColor(0x20, 0x50, 0x90), 0.9));
        p.setBrush(QColor(0x34, 0x78, 0xc8));
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 4.8), 1.1, 1.1);
        p.drawRect(QRectF(7, 7, 2, 5.5));
        break;
    case I::Connect:
        p.setPen(QPen(QColor(0x1e, 0x6b, 0x2a), 0.9));
        p.setBrush(QColor(0x3a, 0xa8, 0x4a));
        p.drawPolygon(QPolygonF() << QPointF(4, 2) << QPointF(14, 8) << QPointF(4, 14));
        break;
    case I::Disconnect:
        p.setPen(QPen(QColor(0x80, 0x20, 0x1a), 0.9));
        p.setBrush(QColor(0xc8, 0x3a, 0x30));
        p.drawRoundedRect(QRectF(3, 3, 10, 10), 1.2, 1.2);
        break;
    case I::EditPort: {
        Sheet(p, 2, 1.5, 11, 13);
        p.setPen(QPen(Ink, 0.9));
        for (int i = 0; i < 3; ++i) {
            const qreal y = 5.5 + 3 * i;
            p.drawLine(QPointF(4, y), QPointF(11, y));
            p.setBrush(QColor(0x34, 0x78, 0xc8));
            p.drawRect(QRectF(i == 1 ? 8 : 5, y - 1.2, 2, 2.4));
        }
        break;
    }
    case I::EditScript:
        Sheet(p, 1.5, 1.5, 10, 13);
        TextLines(p, 3.5, 5.5, 5, 4);
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(QColor(0xe8, 0xb0, 0x30));
        p.drawPolygon(QPolygonF() << QPointF(14.5, 5) << QPointF(15.8, 6.3) << QPointF(9, 13.2)
                                  << QPointF(7.3, 13.8) << QPointF(7.8, 12));
        break;
    case I::StopScript:
        // The script's sheet with a stop square: it halts the script, it
        // closes nothing.
        Sheet(p, 1.5, 1.5, 10, 13);
        TextLines(p, 3.5, 5.5, 5, 4);
        p.setPen(QPen(QColor(0x30, 0x30, 0x38), 0.9));
        p.setBrush(QColor(0x5a, 0x5a, 0x66));
        p.drawRoundedRect(QRectF(8.5, 8.5, 6.5, 6.5), 1, 1);
        break;
    case I::Program: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1c, 0x4e, 0x8a));
        p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
        QFont font;
        font.setBold(true);
        font.setPixelSize(7);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("DX"));
        break;
    }
    }
}

QPixmap Draw(I image, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    Picture(painter, image);
    return pixmap;
}

QIcon Drawn(I image) {
    QIcon icon;
    for (int size : {16, 22, 32, 48}) {
        icon.addPixmap(Draw(image, size));
    }
    return icon;
}

} // namespace

QIcon CToolIcons::Of(Image image) {
    const Names names = NamesOf(image);
    QIcon icon = Drawn(image);
    for (const char* name : {names.second, names.first}) {
        if (name != nullptr) {
            icon = QIcon::fromTheme(QString::fromLatin1(name), icon);
        }
    }
    return icon;
}

void CToolIcons::UseInstalledTheme() {
    // Outside a desktop session no theme is chosen, and some desktops' themes
    // hold only one-colour variants of these names: full-colour pictures of
    // a theme installed with the program fill in. Without one, the drawn
    // pictures serve.
    const QString theme = QStringLiteral("Tango");
    for (const QString& path : QIcon::themeSearchPaths()) {
        if (QFile::exists(path + "/" + theme + "/index.theme")) {
            QIcon::setFallbackThemeName(theme);
            return;
        }
    }
}
