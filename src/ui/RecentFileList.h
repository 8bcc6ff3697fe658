#pragma once

#include <QStringList>

// The File menu's list of recently used setup files: at most four, newest
// first, kept in the per-user settings (QSettings of the application
// "Spotweaver") under "Recent File List".
class CRecentFileList {
  public:
    static constexpr int Size = 4;

    CRecentFileList();

    const QStringList& Files() const { return m_files; }
    void Add(const QString& path);
    void Remove(const QString& path);

  private:
    void Save() const;

    QStringList m_files;
};
