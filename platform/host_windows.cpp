// The real machine on Windows. Files and pipes get the program's bytes unchanged (no "\r\n"
// translation), so they are the same as on every other system; a console gets the text as UTF-16
// through WriteConsoleW, so it reads right whatever the console's code page.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/host.hpp"
#include "platform/terminal.hpp"

namespace orvanta::platform {

namespace {

HANDLE input() {
    return GetStdHandle(STD_INPUT_HANDLE);
}

HANDLE output() {
    return GetStdHandle(STD_OUTPUT_HANDLE);
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

// errno for the last Windows error, so that messages name causes as on other systems.
int errnoOfLastError() {
    switch (GetLastError()) {
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
            return EPIPE;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_INVALID_HANDLE:
            return EBADF;
        case ERROR_ACCESS_DENIED:
            return EACCES;
        default:
            return EIO;
    }
}

std::wstring wide(std::string_view utf8) {
    std::wstring text(utf8.size() + 1, L'\0');
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                         text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(size, 0)));
    return text;
}

bool writeConsole(HANDLE handle, std::string_view utf8) {
    const std::wstring text = wide(utf8);
    for (std::size_t done = 0; done < text.size();) {
        DWORD written = 0;
        if (!WriteConsoleW(handle, text.data() + done, static_cast<DWORD>(text.size() - done),
                           &written, nullptr) ||
            written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

// The console modes of standard input and output for a lifetime: virtual-terminal processing on
// output, and input byte by byte, without echo, with virtual-terminal input so that the answer
// to a cursor-position request arrives as bytes. Ctrl-C is an ordinary byte meanwhile, so that
// nothing ends the program before the modes are back.
class ProbeModes {
  public:
    ProbeModes() {
        if (!GetConsoleMode(input(), &in_) || !GetConsoleMode(output(), &out_)) {
            return;
        }
        saved_ = true;
        vt_ = SetConsoleMode(output(),
                             out_ | ENABLE_VIRTUAL_TERMINAL_PROCESSING | ENABLE_PROCESSED_OUTPUT) &&
              SetConsoleMode(input(), ENABLE_VIRTUAL_TERMINAL_INPUT);
    }
    ~ProbeModes() {
        if (saved_) {
            SetConsoleMode(input(), in_);
            SetConsoleMode(output(), out_);
        }
    }
    ProbeModes(const ProbeModes&) = delete;
    ProbeModes& operator=(const ProbeModes&) = delete;

    bool saved() const { return saved_; }
    bool virtualTerminal() const { return vt_; }

  private:
    DWORD in_ = 0;
    DWORD out_ = 0;
    bool saved_ = false;
    bool vt_ = false;
};

}  // namespace

bool SystemHost::write(std::string_view bytes) {
    const HANDLE handle = output();
    if (isConsole(handle)) {
        if (!writeConsole(handle, bytes)) {
            errno = errnoOfLastError();
            return false;
        }
        return true;
    }
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
            errno = errnoOfLastError();
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

std::ptrdiff_t SystemHost::readStandardInput(char* buffer, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(input(), buffer, static_cast<DWORD>(size), &got, nullptr)) {
        // A pipe whose writer has gone is the end of the input, as on other systems.
        if (GetLastError() == ERROR_BROKEN_PIPE) {
            return 0;
        }
        errno = errnoOfLastError();
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

void SystemHost::writeError(std::string_view text) {
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    if (isConsole(handle)) {
        writeConsole(handle, text);
        return;
    }
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void SystemHost::sleep(std::chrono::milliseconds duration) {
    Sleep(static_cast<DWORD>(duration.count()));
}

bool SystemHost::outputIsTerminal() {
    return isConsole(output());
}

std::string SystemHost::localeCharset() {
    // Text for a console goes out as UTF-16, converted from UTF-8.
    return isConsole(output()) ? "UTF-8" : "";
}

std::optional<int> SystemHost::measureColumns(std::string_view sample,
                                              std::chrono::milliseconds limit) {
    if (!isConsole(input()) || !isConsole(output())) {
        return std::nullopt;
    }
    const ProbeModes modes;
    if (!modes.saved()) {
        return std::nullopt;
    }
    if (!modes.virtualTerminal()) {
        return 2;  // an old console: it draws as Japanese consoles do
    }
    std::string probe = "\r";
    probe.append(sample).append("\x1b[6n");
    if (!writeConsole(output(), probe)) {
        return std::nullopt;
    }
    const std::optional<int> columns = awaitCursorReport(limit);
    writeConsole(output(), "\r\x1b[K");
    return columns;
}

std::optional<std::string> SystemHost::readTerminal(std::chrono::milliseconds limit) {
    if (WaitForSingleObject(input(), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    // The answer comes as key events, like anything typed meanwhile; other events (focus,
    // mouse, window size) are dropped.
    INPUT_RECORD records[64];
    DWORD count = 0;
    if (!ReadConsoleInputW(input(), records, 64, &count)) {
        return std::nullopt;
    }
    std::wstring typed;
    for (DWORD i = 0; i < count; ++i) {
        const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
        if (records[i].EventType == KEY_EVENT && key.bKeyDown && key.uChar.UnicodeChar != 0) {
            typed.append(key.wRepeatCount, key.uChar.UnicodeChar);
        }
    }
    std::string bytes(typed.size() * 3, '\0');
    bytes.resize(static_cast<std::size_t>(std::max(
        0, WideCharToMultiByte(CP_UTF8, 0, typed.data(), static_cast<int>(typed.size()),
                               bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr))));
    return bytes;
}

}  // namespace orvanta::platform
