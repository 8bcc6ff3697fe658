#include <QApplication>

#include <gtest/gtest.h>

// The widget tests need one QApplication for the whole run; CTest runs them
// on the offscreen platform, and so does test discovery, which runs the
// program without CTest's environment.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName("SpotweaverTests");
    QApplication::setApplicationName("SpotweaverTests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
