#include "tests/support/fake_host.hpp"

#include <iconv.h>

#include <algorithm>
#include <stdexcept>

#include "app/test_mode.hpp"

namespace orvanta::testing {

namespace {

std::string convert(std::string_view bytes, const char* from, const char* to) {
    iconv_t descriptor = iconv_open(to, from);
    if (descriptor == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv_open failed");
    }
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(descriptor, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(descriptor);
    if (result == static_cast<std::size_t>(-1)) {
        throw std::runtime_error(std::string("text is not valid ") + from);
    }
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

bool FakeHost::write(std::string_view bytes) {
    if (closed) {
        return false;
    }
    ++writes_;
    output_.append(bytes);
    return true;
}

std::ptrdiff_t FakeHost::read(char* buffer, std::size_t size) {
    ++reads_;
    const std::size_t n = std::min({size, chunk, input_.size() - inputPos_});
    std::copy_n(input_.data() + inputPos_, n, buffer);
    inputPos_ += n;
    return static_cast<std::ptrdiff_t>(n);
}

void FakeHost::sleep(std::chrono::milliseconds duration) {
    pauses_.push_back({output_.size(), duration.count()});
}

std::string FakeHost::text() const {
    return fromCp932(output_);
}

std::string fromCp932(std::string_view bytes) {
    return convert(bytes, "CP932", "UTF-8");
}

std::string toCp932(std::string_view utf8) {
    return convert(utf8, "UTF-8", "CP932");
}

ConsoleTest::ConsoleTest(std::string input, bool mode)
    : host(std::move(input)), testMode(orvanta::testMode), scope_(host) {
    platform::console().followTestMode(orvanta::testMode);
    testMode = mode;
}

ConsoleTest::~ConsoleTest() {
    testMode = false;
}

}  // namespace orvanta::testing
