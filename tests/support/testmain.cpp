#include <gtest/gtest.h>

#include <QApplication>

// Every test binary gets a full application object, so widget tests and model tests
// share one entry point; the platform comes from QT_QPA_PLATFORM (offscreen under CTest).
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
