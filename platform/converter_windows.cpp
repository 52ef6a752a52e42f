#include <windows.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <stdexcept>

#include "platform/converter.hpp"

namespace orvanta::platform {

namespace {

// Character-set names as iconv knows them, with Windows' code pages. Names of the form CPnnnn or
// WINDOWS-nnnn give code page nnnn.
constexpr std::array<std::pair<std::string_view, UINT>, 9> kCodePages = {{
    {"CP932", 932},
    {"SHIFT_JIS", 932},
    {"SJIS", 932},
    {"WINDOWS-31J", 932},
    {"EUC-JP", 20932},
    {"EUCJP", 20932},
    {"ISO-8859-1", 28591},
    {"ASCII", 20127},
    {"US-ASCII", 20127},
}};

std::optional<UINT> codePage(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    });
    for (const auto& [known, page] : kCodePages) {
        if (name == known) {
            return page;
        }
    }
    for (const std::string_view prefix : {"CP", "WINDOWS-"}) {
        UINT page = 0;
        const char* digits = name.data() + prefix.size();
        const char* end = name.data() + name.size();
        if (name.starts_with(prefix) && std::from_chars(digits, end, page).ptr == end &&
            page != 0 && IsValidCodePage(page)) {
            return page;
        }
    }
    return std::nullopt;
}

}  // namespace

class Converter::Backend {
  public:
    explicit Backend(UINT page) : page_(page) {}
    UINT page() const { return page_; }

  private:
    UINT page_;
};

void Converter::Close::operator()(Backend* backend) const {
    std::default_delete<Backend>()(backend);
}

Converter::BackendPointer Converter::open(const std::string& charset) {
    const auto page = codePage(charset);
    if (!page) {
        throw std::runtime_error("Windows has no code page for " + charset);
    }
    return BackendPointer(std::make_unique<Backend>(*page).release());
}

std::optional<std::string> Converter::run(Backend& backend, std::string_view utf8) {
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(utf8.size() + 1, L'\0');
    const int wideSize = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size,
                                             wide.data(), static_cast<int>(wide.size()));
    if (wideSize <= 0 && size > 0) {
        return std::nullopt;
    }
    std::string bytes(utf8.size() * 4 + 4, '\0');
    BOOL lossy = FALSE;
    const int byteSize =
        WideCharToMultiByte(backend.page(), WC_NO_BEST_FIT_CHARS, wide.data(), wideSize,
                            bytes.data(), static_cast<int>(bytes.size()), nullptr, &lossy);
    if (byteSize <= 0 || lossy) {
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(byteSize));
    return bytes;
}

}  // namespace orvanta::platform
