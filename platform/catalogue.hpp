#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace orvanta::platform {

// The translations of a message catalogue as GNU msgfmt compiles it (a .mo file): each
// original text with its translation. Only plain messages are read (no plural forms, no
// contexts); the header entry (the empty original) is left out.
class Catalogue {
  public:
    // Nothing when `mo` is not a well-formed catalogue: the magic number of either byte order,
    // revision 0, and every table and string inside the bytes.
    static std::optional<Catalogue> parse(std::string_view mo);

    // The translation of `original`, or `original` itself when the catalogue has none.
    std::string_view find(std::string_view original) const;
    std::size_t size() const { return texts_.size(); }

  private:
    std::map<std::string, std::string, std::less<>> texts_;
};

// The English catalogue built into the program (po/en.po).
const Catalogue& englishCatalogue();

}  // namespace orvanta::platform
