#include "tests/support/scratch.hpp"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <system_error>

namespace orvanta::testing {

std::filesystem::path scratchPath(std::string_view name) {
#ifdef _WIN32
    const int pid = _getpid();
#else
    const int pid = static_cast<int>(getpid());
#endif
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string file = "orvanta-" + std::to_string(pid) + "-";
    if (test != nullptr) {
        file += std::string(test->test_suite_name()) + "." + test->name() + "-";
    }
    std::replace(file.begin(), file.end(), '/', '_');  // parameterised tests have a slash
    return std::filesystem::temp_directory_path() / (file + std::string(name));
}

Scratch::Scratch(std::string_view name, const std::string& text)
    : path(scratchPath(name).string()) {
    std::filesystem::remove_all(path);
    if (!text.empty()) {
        std::ofstream(path, std::ios::binary) << text;
    }
}

Scratch::~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

}  // namespace orvanta::testing
