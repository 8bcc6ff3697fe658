#include <QCoreApplication>

#include <gtest/gtest.h>

// The network ports need Qt's event loop: one QCoreApplication for the run.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
