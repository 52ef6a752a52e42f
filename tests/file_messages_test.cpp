// Every message about a file the program cannot read or write gives the system's reason, so that
// the user knows what to mend: a missing file, a folder in its place, no permission.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/support/program.hpp"

namespace orvanta {
namespace {

namespace fs = std::filesystem;

enum class Fault { kMissing, kFolder, kDenied };

// Makes `path` unreadable and unwritable for this process: a file without permissions, or, where
// they do not bind (the superuser), a link to a file the system refuses even then. False when
// neither can be had here.
bool deny(const fs::path& path) {
    std::ofstream(path) << "x\n";
    fs::permissions(path, fs::perms::none);
    const auto refused = [&] {
        for (const int flags : {O_RDONLY, O_WRONLY | O_APPEND}) {
            const int fd = ::open(path.c_str(), flags);
            if (fd >= 0) {
                ::close(fd);
                return false;
            }
            if (errno != EACCES) {
                return false;
            }
        }
        return true;
    };
    if (refused()) {
        return true;
    }
    fs::remove(path);
    fs::create_symlink("/proc/1/environ", path);
    return refused();
}

// Puts the fault at `path` (whose folder exists); false when it cannot be had here.
bool make(Fault fault, const fs::path& path) {
    switch (fault) {
        case Fault::kMissing:
            return true;
        case Fault::kFolder:
            fs::create_directories(path);
            return true;
        case Fault::kDenied:
            return deny(path);
    }
    return false;
}

const char* reason(Fault fault) {
    switch (fault) {
        case Fault::kMissing:
            return "No such file or directory";
        case Fault::kFolder:
            return "Is a directory";
        case Fault::kDenied:
            return "Permission denied";
    }
    return "";
}

TEST(RealProgramFiles, EveryFileMessageGivesTheSystemsReason) {
    const fs::path top =
        fs::temp_directory_path() / ("orvanta-file-messages-" + std::to_string(::getpid()));
    struct Case {
        const char* what;
        // The program's arguments and environment for the file at `path` (under `home`).
        std::function<testing::Launch(const fs::path& home, const fs::path& path)> launch;
        const char* file;     // under home
        std::string message;  // before "'PATH': REASON"
        int status;
    };
    const std::vector<Case> cases = {
        {"--review",
         [](const fs::path&, const fs::path& path) {
             return testing::Launch{.args = {"--review=" + path.string()}};
         },
         "game.ggf", "orvanta: cannot read ", 1},
        {"--solve",
         [](const fs::path&, const fs::path& path) {
             return testing::Launch{.args = {"--solve=" + path.string()}};
         },
         "positions.obf", "orvanta: cannot read ", 2},
        {"--record",
         [](const fs::path&, const fs::path& path) {
             return testing::Launch{.args = {"--record=" + path.string()}};
         },
         "missing-folder/games.ggf", "orvanta: cannot open record file ", 2},
        {"the configuration file",
         [](const fs::path& home, const fs::path&) {
             return testing::Launch{.env = {"XDG_CONFIG_HOME=" + home.string()}};
         },
         "orvanta/config", "orvanta: cannot read configuration file ", 2},
        {"the state folder's choices",
         [](const fs::path& home, const fs::path&) {
             return testing::Launch{.args = {"--coach"},
                                    .env = {"XDG_STATE_HOME=" + home.string()}};
         },
         "orvanta/choices", "orvanta: warning: cannot read the choices in ", 0},
    };
    int denied = 0;
    for (const Case& c : cases) {
        for (const Fault fault : {Fault::kMissing, Fault::kFolder, Fault::kDenied}) {
            const fs::path home = top / std::to_string(static_cast<int>(fault));
            fs::remove_all(top);
            const fs::path path = home / c.file;
            // The record file's missing case is its missing folder (a missing file is created).
            fs::create_directories(fault == Fault::kMissing ? home : path.parent_path());
            if (!make(fault, path)) {
                continue;
            }
            denied += fault == Fault::kDenied ? 1 : 0;
            const auto run = testing::runProgram(c.launch(home, path));
            const bool quiet =
                fault == Fault::kMissing && (c.message.find("configuration") != std::string::npos ||
                                             c.message.find("choices") != std::string::npos);
            const std::string expected =
                c.message + "'" + path.string() + "': " + reason(fault) + "\n";
            if (quiet) {
                // No configuration and no choices kept yet are the usual case: not a fault.
                EXPECT_EQ(run.err, "") << c.what;
            } else {
                EXPECT_EQ(run.err.substr(0, expected.size()), expected) << c.what;
                EXPECT_EQ(run.status, c.status) << c.what << ", " << reason(fault);
            }
        }
    }
    fs::remove_all(top);
    if (denied == 0) {
        GTEST_SKIP() << "no file can be denied to this process here";
    }
}

}  // namespace
}  // namespace orvanta
