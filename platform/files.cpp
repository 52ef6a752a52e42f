#include "platform/files.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace orvanta::platform {

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string baseDirectory(const char* xdg, const char* underHome,
                          [[maybe_unused]] const char* windows) {
    std::string set = variable(xdg);
    if (!set.empty() && std::filesystem::path(set).is_absolute()) {
        return set;
    }
#ifdef _WIN32
    if (const std::string folder = variable(windows); !folder.empty()) {
        return folder;
    }
#endif
    const std::string home = variable("HOME");
    return home.empty() ? "" : home + "/" + underHome;
}

}  // namespace

FileRead readSmallFile(const std::string& path, std::size_t limit) {
    FileRead result;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        result.exists = true;
        result.error = error.message();
        return result;
    }
    if (!std::filesystem::exists(status)) {
        return result;
    }
    result.exists = true;
    if (std::filesystem::is_directory(status)) {
        result.error = std::strerror(EISDIR);
        return result;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        result.error = std::strerror(errno != 0 ? errno : EACCES);
        return result;
    }
    char buffer[4096];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        result.bytes.append(buffer, static_cast<std::size_t>(file.gcount()));
        if (result.bytes.size() > limit) {
            result.bytes.clear();
            result.error = "larger than " + std::to_string(limit) + " bytes";
            result.tooLarge = true;
            return result;
        }
    }
    if (file.bad()) {
        result.bytes.clear();
        result.error = std::strerror(EIO);
    }
    return result;
}

std::string replaceFile(const std::string& path, std::string_view bytes) {
    const std::filesystem::path target(path);
    std::error_code error;
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), error);
        if (error) {
            return error.message();
        }
    }
    const std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) {
            return std::strerror(errno != 0 ? errno : EACCES);
        }
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            std::filesystem::remove(temporary, error);
            return std::strerror(EIO);
        }
    }
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::string cause = error.message();
        std::filesystem::remove(temporary, error);
        return cause;
    }
    return "";
}

std::string configHome() {
    return baseDirectory("XDG_CONFIG_HOME", ".config", "APPDATA");
}

std::string stateHome() {
    return baseDirectory("XDG_STATE_HOME", ".local/state", "LOCALAPPDATA");
}

}  // namespace orvanta::platform
