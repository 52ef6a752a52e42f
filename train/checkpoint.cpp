#include "train/checkpoint.hpp"

#include "train/bytes.hpp"

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace orvanta::train {

namespace {

constexpr std::array<unsigned char, 8> kBlockMagic = {'O', 'V', 'T', 'B', 'L', 'K', '0', '1'};
constexpr std::array<unsigned char, 8> kWeightsMagic = {'O', 'V', 'T', 'W', 'G', 'T', '0', '1'};
constexpr std::size_t kSampleBytes = 8 + 8 + 4;
// More samples than any game has positions is damage, not data.
constexpr std::uint32_t kMaxSamplesPerGame = 256;

}  // namespace

std::uint64_t fingerprint(std::span<const unsigned char> bytes, std::uint64_t seed) {
    std::uint64_t hash = seed;
    for (const unsigned char b : bytes) {
        hash = (hash ^ b) * 0x100000001b3;
    }
    return hash;
}

std::vector<unsigned char> blockBytes(std::uint64_t key, const BlockGames& games) {
    Writer w;
    w.bytes(kBlockMagic);
    w.u64(key);
    w.u32(static_cast<std::uint32_t>(games.size()));
    for (const std::vector<Sample>& game : games) {
        w.u32(static_cast<std::uint32_t>(game.size()));
        for (const Sample& s : game) {
            w.u64(s.player);
            w.u64(s.opponent);
            w.u32(static_cast<std::uint32_t>(s.target));
        }
    }
    return w.take();
}

std::optional<BlockGames> readBlockBytes(std::span<const unsigned char> bytes, std::uint64_t key) {
    Reader r(bytes);
    if (!r.magic(kBlockMagic) || r.u64() != key) {
        return std::nullopt;
    }
    const auto count = r.u32();
    // Each game takes at least its own count's four bytes.
    if (!count || *count > r.left() / 4) {
        return std::nullopt;
    }
    BlockGames games(*count);
    for (std::vector<Sample>& game : games) {
        const auto samples = r.u32();
        if (!samples || *samples > kMaxSamplesPerGame || *samples > r.left() / kSampleBytes) {
            return std::nullopt;
        }
        game.resize(*samples);
        for (Sample& s : game) {
            s.player = *r.u64();
            s.opponent = *r.u64();
            s.target = static_cast<std::int32_t>(*r.u32());
            if ((s.player & s.opponent) != 0) {
                return std::nullopt;
            }
        }
    }
    if (r.left() != 0) {
        return std::nullopt;
    }
    return games;
}

std::vector<unsigned char> weightsCheckpointBytes(std::uint64_t key,
                                                  std::span<const unsigned char> weights) {
    Writer w;
    w.bytes(kWeightsMagic);
    w.u64(key);
    w.u64(fingerprint(weights));
    w.bytes(weights);
    return w.take();
}

std::optional<std::vector<unsigned char>> readWeightsCheckpointBytes(
    std::span<const unsigned char> bytes, std::uint64_t key) {
    Reader r(bytes);
    if (!r.magic(kWeightsMagic) || r.u64() != key) {
        return std::nullopt;
    }
    const auto sum = r.u64();
    const auto weights = r.rest();
    if (!sum || fingerprint(weights) != *sum) {
        return std::nullopt;
    }
    return std::vector<unsigned char>(weights.begin(), weights.end());
}

std::optional<std::vector<unsigned char>> readFileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file),
                                     std::istreambuf_iterator<char>()};
    if (file.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const unsigned char> bytes) {
    std::filesystem::path temporary = path;
    temporary += ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        file.flush();
        if (!file) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

}  // namespace orvanta::train
