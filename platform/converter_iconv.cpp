#include <iconv.h>

#include <stdexcept>

#include "platform/converter.hpp"

namespace orvanta::platform {

class Converter::Backend {
  public:
    explicit Backend(iconv_t descriptor) : descriptor_(descriptor) {}
    ~Backend() { iconv_close(descriptor_); }
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    iconv_t descriptor() const { return descriptor_; }

  private:
    iconv_t descriptor_;
};

void Converter::Close::operator()(Backend* backend) const {
    std::default_delete<Backend>()(backend);
}

Converter::BackendPointer Converter::open(const std::string& charset) {
    const iconv_t descriptor = iconv_open(charset.c_str(), "UTF-8");
    // iconv_open's failure is the pointer made of -1, as POSIX defines it.
    if (descriptor == reinterpret_cast<iconv_t>(-1)) {  // NOLINT(performance-no-int-to-ptr)
        throw std::runtime_error("iconv cannot convert UTF-8 to " + charset);
    }
    return BackendPointer(std::make_unique<Backend>(descriptor).release());
}

std::optional<std::string> Converter::run(Backend& backend, std::string_view utf8) {
    // No set the program uses needs more than four bytes for one UTF-8 byte.
    std::string buffer(utf8.size() * 4 + 4, '\0');
    iconv(backend.descriptor(), nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    if (iconv(backend.descriptor(), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
        iconv(backend.descriptor(), nullptr, nullptr, &out, &outLeft) ==
            static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    buffer.resize(buffer.size() - outLeft);
    return buffer;
}

}  // namespace orvanta::platform
