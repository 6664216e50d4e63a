#include <QApplication>

#include <gtest/gtest.h>

// The desktop tests that need no panel driver share one application object.
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
