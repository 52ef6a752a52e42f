// libFuzzer harness: arbitrary bytes are the whole standard input of a session. The clock is
// fixed, pauses are only recorded and the output is captured. Every session must end with
// status 0, and its output must stay within a bound proportional to its input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/launch.hpp"
#include "tests/support/fake_host.hpp"

namespace {

// One input byte starts at most a couple of computer moves with traces and scratch boards.
constexpr std::size_t kOutputPerInputByte = 256 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvanta::testing::FakeHost host(std::string(reinterpret_cast<const char*>(data), size));
    orvanta::platform::HostScope scope(host);
    orvanta::platform::console().setTestMode(false);
    const int status = orvanta::run();
    if (status != 0) {
        std::fprintf(stderr, "session ended with status %d\n", status);
        std::abort();
    }
    if (host.output().size() > kOutputPerInputByte * (size + 1)) {
        std::fprintf(stderr, "%zu output bytes for %zu input bytes\n", host.output().size(), size);
        std::abort();
    }
    return 0;
}
