#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orvanta::testing {

// A file name in the temporary directory that belongs to this process and the running test
// alone: ctest runs tests side by side, and two builds may test on one machine at once.
std::filesystem::path scratchPath(std::string_view name);

// A scratch file or folder of this test, with `text` if any; whatever is there is removed when
// it is made and when it goes.
struct Scratch {
    explicit Scratch(std::string_view name, const std::string& text = "");
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    std::string path;
};

}  // namespace orvanta::testing
