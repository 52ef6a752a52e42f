#include "platform/catalogue.hpp"

#include <array>

namespace orvanta::platform {

namespace detail {
extern const unsigned char kEnglishCatalogueData[];
extern const std::size_t kEnglishCatalogueDataSize;
}  // namespace detail

namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::size_t kHeaderBytes = 28;

// A 32-bit word of `bytes` at `at`, in the catalogue's byte order; nothing past the end.
std::optional<std::uint32_t> word(std::string_view bytes, std::size_t at, bool bigEndian) {
    if (at > bytes.size() || bytes.size() - at < 4) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[at + (bigEndian ? i : 3 - i)]);
        value = (value << 8) | byte;
    }
    return value;
}

// The string that entry `index` of the table at `table` describes (length, offset).
std::optional<std::string_view> entry(std::string_view bytes, std::size_t table, std::size_t index,
                                      bool bigEndian) {
    const auto length = word(bytes, table + index * 8, bigEndian);
    const auto offset = word(bytes, table + index * 8 + 4, bigEndian);
    if (!length || !offset || *offset > bytes.size() || bytes.size() - *offset < *length) {
        return std::nullopt;
    }
    return bytes.substr(*offset, *length);
}

}  // namespace

std::optional<Catalogue> Catalogue::parse(std::string_view mo) {
    if (mo.size() < kHeaderBytes) {
        return std::nullopt;
    }
    bool bigEndian = false;
    if (word(mo, 0, false) != kMagic) {
        bigEndian = true;
        if (word(mo, 0, true) != kMagic) {
            return std::nullopt;
        }
    }
    const auto revision = word(mo, 4, bigEndian);
    const auto count = word(mo, 8, bigEndian);
    const auto originals = word(mo, 12, bigEndian);
    const auto translations = word(mo, 16, bigEndian);
    if (revision != 0u || !count || !originals || !translations || *count > mo.size() / 8) {
        return std::nullopt;
    }
    Catalogue catalogue;
    for (std::size_t i = 0; i < *count; ++i) {
        const auto original = entry(mo, *originals, i, bigEndian);
        const auto translation = entry(mo, *translations, i, bigEndian);
        if (!original || !translation) {
            return std::nullopt;
        }
        if (!original->empty()) {
            catalogue.texts_.insert_or_assign(std::string(*original), std::string(*translation));
        }
    }
    return catalogue;
}

std::string_view Catalogue::find(std::string_view original) const {
    const auto found = texts_.find(original);
    return found == texts_.end() ? original : std::string_view(found->second);
}

const Catalogue& englishCatalogue() {
    static const Catalogue english =
        Catalogue::parse({reinterpret_cast<const char*>(detail::kEnglishCatalogueData),
                          detail::kEnglishCatalogueDataSize})
            .value_or(Catalogue{});
    return english;
}

}  // namespace orvanta::platform
