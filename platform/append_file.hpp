#pragma once

#include <string>
#include <string_view>

namespace orvanta::platform {

// A file that lines are appended to, such as a record of games. It is opened (and created when
// missing) at once; each line goes to the file in one write, so that lines of concurrent runs
// do not mix. The first failure to write is reported on standard error; later lines are still
// tried, silently.
class AppendFile {
  public:
    explicit AppendFile(std::string path);
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Why the file could not be opened (as strerror says), or "" when it is open.
    const std::string& openError() const { return openError_; }
    const std::string& path() const { return path_; }
    void append(std::string_view line);

  private:
    std::string path_;
    std::string openError_;
    int descriptor_ = -1;
    bool reported_ = false;
};

}  // namespace orvanta::platform
