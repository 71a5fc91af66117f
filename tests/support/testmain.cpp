#include "support/privatemounts.h"

#include <gtest/gtest.h>

#ifdef KORVALE_TEST_WINDOWS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

// The windows' tests get a full application object; the platform comes from
// QT_QPA_PLATFORM (offscreen under CTest). The core's tests start Qt Core alone, so that a
// test may fork a child (a deadline, an unprivileged user) from a process that holds no
// display connection and no thread of a window system. Whatever a test mounts stays in
// the program's own mount namespace, entered before any thread starts.
int main(int argc, char** argv)
{
    PrivateMounts::enterForTheProgram();
#ifdef KORVALE_TEST_WINDOWS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
