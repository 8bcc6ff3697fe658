#include "transport/InstanceId.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

constexpr qsizetype IdLength = 16;

bool IsId(const QByteArray& text) {
    return text.size() == IdLength &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(c) != 0; });
}

std::string Load() {
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/spotweaver";
    const QString path = folder + "/instance-id";
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray text = file.readAll().trimmed();
        if (IsId(text)) {
            return text.toStdString();
        }
    }
    char drawn[IdLength + 1];
    std::snprintf(drawn, sizeof drawn, "%016llx",
                  static_cast<unsigned long long>(QRandomGenerator::system()->generate64()));
    QDir().mkpath(folder);
    QSaveFile out(path);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(drawn, IdLength);
        out.write("\n", 1);
        out.commit();
    }
    return drawn;
}

} // namespace

namespace InstanceId {

const std::string& Get() {
    static const std::string id = Load();
    return id;
}

} // namespace InstanceId
