#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The widget tests need one QApplication for the whole run; CTest runs them
// on the offscreen platform, and so does test discovery, which runs the
// program without CTest's environment. Per-user settings (the recent-file
// list) go to a folder of this run only, so that test processes running side
// by side do not see each other's files.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    QApplication::setOrganizationName("SpotweaverTests");
    QApplication::setApplicationName("SpotweaverTests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
