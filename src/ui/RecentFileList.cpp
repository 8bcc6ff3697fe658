#include "ui/RecentFileList.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char* const Group = "Recent File List";

QString Key(int i) {
    return QStringLiteral("File%1").arg(i + 1);
}

} // namespace

CRecentFileList::CRecentFileList() {
    QSettings settings;
    settings.beginGroup(Group);
    for (int i = 0; i < Size; ++i) {
        const QString path = settings.value(Key(i)).toString();
        if (!path.isEmpty()) {
            m_files.append(path);
        }
    }
}

void CRecentFileList::Add(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(full);
    m_files.prepend(full);
    while (m_files.size() > Size) {
        m_files.removeLast();
    }
    Save();
}

void CRecentFileList::Remove(const QString& path) {
    m_files.removeAll(QFileInfo(path).absoluteFilePath());
    Save();
}

void CRecentFileList::Save() const {
    QSettings settings;
    settings.beginGroup(Group);
    for (int i = 0; i < Size; ++i) {
        if (i < m_files.size()) {
            settings.setValue(Key(i), m_files[i]);
        } else {
            settings.remove(Key(i));
        }
    }
}
