#include "tests/support/fake_host.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "app/launch.hpp"

namespace orvanta::testing {

std::ptrdiff_t FakeHost::read(char* buffer, std::size_t size) {
    ++reads_;
    const std::size_t n = std::min({size, chunk, input_.size() - inputPos_});
    std::copy_n(input_.data() + inputPos_, n, buffer);
    inputPos_ += n;
    return static_cast<std::ptrdiff_t>(n);
}

std::string FakeHost::screen() const {
    std::string result;
    std::size_t from = 0;
    for (const auto& [at, milliseconds] : pauses_) {
        result += fromCp932(output_.substr(from, at - from));
        result += "{pause " + std::to_string(milliseconds) + "}";
        from = at;
    }
    return result + fromCp932(output_.substr(from));
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

std::string fromCp932(std::string_view bytes) {
#ifdef _WIN32
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(bytes.size() + 1, L'\0');
    const int wideSize = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), size,
                                             wide.data(), static_cast<int>(wide.size()));
    std::string out(bytes.size() * 3 + 4, '\0');
    const int outSize = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, out.data(),
                                            static_cast<int>(out.size()), nullptr, nullptr);
    if (size > 0 && (wideSize <= 0 || outSize <= 0)) {
        throw std::runtime_error("not valid CP932");
    }
    out.resize(static_cast<std::size_t>(std::max(outSize, 0)));
#else
    iconv_t descriptor = iconv_open("UTF-8", "CP932");
    std::string out(bytes.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(descriptor, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(descriptor);
    if (result == static_cast<std::size_t>(-1)) {
        throw std::runtime_error("not valid CP932");
    }
    out.resize(out.size() - outLeft);
#endif
    return out;
}

std::string toCp932(std::string_view utf8) {
    platform::Converter converter("CP932");
    return std::string(converter.convert(utf8));
}

std::string sessionText(const std::string& input) {
    ConsoleTest console(input);
    run();
    return console.host.text();
}

ConsoleTest::ConsoleTest(std::string input, bool mode) : host(std::move(input)), scope_(host) {
    platform::console().setTestMode(mode);
    platform::console().forceCharset("");  // whatever an earlier test's options set
    platform::console().setPauseScale(1);
}

}  // namespace orvanta::testing
