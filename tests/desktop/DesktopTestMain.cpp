#include <QApplication>

#include <gtest/gtest.h>

// The desktop tests that draw no widget, under one application object for fonts and icons.
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
