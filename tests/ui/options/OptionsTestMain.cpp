#include <gtest/gtest.h>

#include <QApplication>
#include <QtGlobal>

// One QApplication for every test. Discovery runs this program without the test environment,
// so the offscreen platform is also the default here.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
