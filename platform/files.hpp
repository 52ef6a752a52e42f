#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvanta::platform {

// The few small files the program keeps for its user: a configuration it only reads, and a
// state it rewrites whole.

struct FileRead {
    bool exists = false;
    std::string bytes;
    // Why an existing file could not be read, as the system says it ("Permission denied"), or
    // that it was larger than allowed; "" when it was read.
    std::string error;
    bool tooLarge = false;
};

// The whole file, when it exists and holds at most `limit` bytes. A path the system cannot look
// at (a folder on the way without permission) counts as existing, with the reason. It is read a
// block at a time, so that an endless stream (a pipe, a device) costs bounded memory too.
FileRead readSmallFile(const std::string& path, std::size_t limit);

// Replaces the file with `bytes` at once: they go to a temporary file beside it, which is then
// renamed over it, so a reader sees the old file or the new one, never a part. The folder and its
// parents are created when missing. Returns "" on success, else the cause.
std::string replaceFile(const std::string& path, std::string_view bytes);

// The folders of the user's configuration and state, as the XDG base directories say:
// $XDG_CONFIG_HOME or ~/.config, $XDG_STATE_HOME or ~/.local/state (a relative path in the
// variable does not count); on Windows without them, %APPDATA% and %LOCALAPPDATA%. "" when there
// is none.
std::string configHome();
std::string stateHome();

}  // namespace orvanta::platform
