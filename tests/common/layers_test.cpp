// The core (every source that is not a window, not Qt-bound and not in src/app) depends on
// nothing above it: no Qt header and no header of the application's windows.
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

TEST(Layers, NoCoreFileIncludesQtOrTheApplication) {
    const std::regex aboveCore("(_window|_box|_widget|_dialog|_qt)\\.(cpp|h)$");
    const std::regex forbidden("#include\\s*[<\"](Q[A-Za-z]*|app/[^\">]*)[\">]");
    int checked = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(QZ_SOURCE_DIR "/src")) {
        const std::string path = entry.path().generic_string();
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
        if (path.find("/src/app/") != std::string::npos || std::regex_search(path, aboveCore))
            continue;
        ++checked;
        const std::string text = testing_support::readFile(path);
        std::smatch m;
        EXPECT_FALSE(std::regex_search(text, m, forbidden)) << path << ": " << m.str();
    }
    EXPECT_GT(checked, 0);
}
