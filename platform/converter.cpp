#include "platform/converter.hpp"

#include <algorithm>
#include <stdexcept>

namespace orvanta::platform {

bool Converter::isUtf8(std::string charset) {
    std::transform(charset.begin(), charset.end(), charset.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    });
    return charset == "UTF-8" || charset == "UTF8";
}

Converter::Converter(std::string charset)
    : charset_(std::move(charset)), passThrough_(isUtf8(charset_)) {
    if (!passThrough_) {
        backend_ = open(charset_);
    }
}

Converter::~Converter() = default;

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
    auto converted = run(*backend_, utf8);
    if (!converted) {
        throw std::logic_error("cannot convert \"" + std::string(utf8) + "\" to " + charset_);
    }
    if (remembered_.size() >= kRemembered) {
        remembered_.clear();
    }
    return remembered_.emplace(utf8, std::move(*converted)).first->second;
}

bool Converter::isKnown(const std::string& charset) {
    try {
        Converter converter(charset);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
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
