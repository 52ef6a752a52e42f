#include "platform/converter.hpp"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace orvanta::platform {

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

bool isUtf8(std::string charset) {
    std::transform(charset.begin(), charset.end(), charset.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    });
    return charset == "UTF-8" || charset == "UTF8";
}

}  // namespace

Converter::Converter(std::string charset)
    : charset_(std::move(charset)), passThrough_(isUtf8(charset_)), descriptor_(kNoDescriptor) {
    if (!passThrough_) {
        descriptor_ = iconv_open(charset_.c_str(), "UTF-8");
        if (descriptor_ == kNoDescriptor) {
            throw std::runtime_error("iconv cannot convert UTF-8 to " + charset_);
        }
    }
}

Converter::~Converter() {
    if (descriptor_ != kNoDescriptor) {
        iconv_close(descriptor_);
    }
}

bool Converter::isIdentity(std::string_view utf8) const {
    return passThrough_ || std::all_of(utf8.begin(), utf8.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string_view Converter::convert(std::string_view utf8) {
    if (isIdentity(utf8)) {
        return utf8;
    }
    if (const auto known = remembered_.find(utf8); known != remembered_.end()) {
        return known->second;
    }
    // No set the program uses needs more than four bytes for one UTF-8 byte.
    buffer_.resize(utf8.size() * 4 + 4);
    iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* out = buffer_.data();
    std::size_t outLeft = buffer_.size();
    if (iconv(descriptor_, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
        iconv(descriptor_, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        throw std::logic_error("cannot convert \"" + std::string(utf8) + "\" to " + charset_);
    }
    if (remembered_.size() >= kRemembered) {
        remembered_.clear();
    }
    return remembered_.emplace(utf8, buffer_.substr(0, buffer_.size() - outLeft)).first->second;
}

bool Converter::canRepresent(const std::string& charset, std::string_view sample) {
    try {
        Converter converter(charset);
        converter.convert(sample);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace orvanta::platform
