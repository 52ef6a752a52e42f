#include "platform/append_file.hpp"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

#include "platform/console.hpp"

namespace orvanta::platform {

// Bytes go to the file as they are: no line-end translation on systems that have it.
#ifndef O_BINARY
#define O_BINARY 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

AppendFile::AppendFile(std::string path) : path_(std::move(path)) {
    descriptor_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_BINARY, 0666);
    if (descriptor_ < 0) {
        openError_ = std::strerror(errno);
    }
}

AppendFile::~AppendFile() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

void AppendFile::append(std::string_view line) {
    std::string text = std::string(line) + "\n";
    std::string_view left = text;
    while (!left.empty()) {
#ifdef _WIN32
        const int written = ::_write(descriptor_, left.data(), static_cast<unsigned>(left.size()));
#else
        const ssize_t written = ::write(descriptor_, left.data(), left.size());
#endif
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (!reported_) {
                reported_ = true;
                console().error(path_ + ": " + std::strerror(written < 0 ? errno : ENOSPC));
            }
            return;
        }
        left.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace orvanta::platform
