#include <QCoreApplication>

#include <gtest/gtest.h>

#include <csignal>

// The network ports need Qt's event loop: one QCoreApplication for the run.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // As in the program: a pipe whose reader left is a write error, not an end.
    std::signal(SIGPIPE, SIG_IGN);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
