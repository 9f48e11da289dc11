// Entry of the widget tests: one QApplication on the offscreen platform for the whole run.
#include <QApplication>
#include <gmock/gmock.h>

// Under the leak checker of a sanitizer build: fontconfig keeps the patterns of the fonts it
// matched for fallback glyphs in caches it never frees, which is the library's, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleMock(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
