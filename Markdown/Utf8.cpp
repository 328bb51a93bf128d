#include "Markdown/Utf8.h"

#include <cstdint>
#include <cstring>

namespace markdown {

namespace {

constexpr std::uint64_t highBits = 0x8080808080808080ULL;

bool isContinuation(unsigned char byte) noexcept { return (byte & 0xC0) == 0x80; }

// Length of the well-formed sequence that starts at `at`, or 0 when there is none.
std::size_t sequenceLength(const unsigned char* at, std::size_t available) noexcept {
    const unsigned char lead = at[0];
    if (lead >= 0xC2 && lead <= 0xDF) {
        return available >= 2 && isContinuation(at[1]) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (available < 3 || !isContinuation(at[1]) || !isContinuation(at[2])) {
            return 0;
        }
        const bool overlong = lead == 0xE0 && at[1] < 0xA0;
        const bool surrogate = lead == 0xED && at[1] > 0x9F;
        return overlong || surrogate ? 0 : 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (available < 4 || !isContinuation(at[1]) || !isContinuation(at[2]) || !isContinuation(at[3])) {
            return 0;
        }
        const bool overlong = lead == 0xF0 && at[1] < 0x90;
        const bool tooLarge = lead == 0xF4 && at[1] > 0x8F;
        return overlong || tooLarge ? 0 : 4;
    }
    return 0;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) noexcept {
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t remaining = bytes.size();
    while (remaining > 0) {
        // Rendered Markdown is mostly ASCII: skip it eight bytes at a time.
        if (remaining >= 8) {
            std::uint64_t word;
            std::memcpy(&word, at, sizeof word);
            if ((word & highBits) == 0) {
                at += 8;
                remaining -= 8;
                continue;
            }
        }
        if (*at < 0x80) {
            ++at;
            --remaining;
            continue;
        }
        const std::size_t length = sequenceLength(at, remaining);
        if (length == 0) {
            return false;
        }
        at += length;
        remaining -= length;
    }
    return true;
}

}  // namespace markdown
