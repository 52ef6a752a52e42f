#pragma once

// Little-endian files of the trainer's work folder, written and read back field by field.

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace orvanta::train {

// Little-endian, whatever the machine.
class Writer {
  public:
    void bytes(std::span<const unsigned char> b) { out_.insert(out_.end(), b.begin(), b.end()); }
    void u64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) {
            out_.push_back(static_cast<unsigned char>(v >> (8 * i)));
        }
    }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out_.push_back(static_cast<unsigned char>(v >> (8 * i)));
        }
    }
    void u16(std::uint16_t v) {
        out_.push_back(static_cast<unsigned char>(v));
        out_.push_back(static_cast<unsigned char>(v >> 8));
    }
    std::vector<unsigned char> take() { return std::move(out_); }

  private:
    std::vector<unsigned char> out_;
};

class Reader {
  public:
    explicit Reader(std::span<const unsigned char> in) : in_(in) {}
    bool magic(const std::array<unsigned char, 8>& m) {
        if (in_.size() - at_ < m.size() || std::memcmp(in_.data() + at_, m.data(), m.size()) != 0) {
            return false;
        }
        at_ += m.size();
        return true;
    }
    std::optional<std::uint64_t> u64() { return take(8); }
    std::optional<std::uint32_t> u32() {
        const auto v = take(4);
        return v ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*v)) : std::nullopt;
    }
    std::optional<std::uint16_t> u16() {
        const auto v = take(2);
        return v ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*v)) : std::nullopt;
    }
    std::size_t left() const { return in_.size() - at_; }
    std::span<const unsigned char> rest() const { return in_.subspan(at_); }

  private:
    std::optional<std::uint64_t> take(std::size_t n) {
        if (left() < n) {
            return std::nullopt;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) {
            v |= std::uint64_t{in_[at_ + i]} << (8 * i);
        }
        at_ += n;
        return v;
    }

    std::span<const unsigned char> in_;
    std::size_t at_ = 0;
};

}  // namespace orvanta::train
