// Fuzzes the tagged-field reader and writer: no input reads out of bounds, and a
// value written with AppendField reads back whole (cut to the reader's limit).
#include "host/game/TaggedFields.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr const char* TAGS[] = {"GMSG", "CLEV", "NLEV", "PLRS", "PLRN1", "PLRF1", "PLRI1", "CMSG", "", "PLRN10"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const char* tag : TAGS) {
        (void)dravo::FindField(input, tag);
        (void)dravo::FindField(input, tag, dravo::PLAYER_NAME_CHARS);
        (void)dravo::FindFieldInt(input, tag);
    }
    if (size == 0) {
        return 0;
    }
    // The first byte splits the rest into a tag and a value; write them and read them back.
    const size_t split = std::min<size_t>(data[0] % 16, size - 1);
    const std::string_view tag = input.substr(1, split);
    const std::string_view value = input.substr(1 + split);
    if (tag.find_first_of("[]:") != std::string_view::npos) {
        return 0; // tags are the program's own constants and never hold these
    }
    std::string text = "[GMSG:0]";
    if (!dravo::AppendField(text, tag, value)) {
        if (!value.empty()) {
            std::abort();
        }
        return 0;
    }
    const auto back = dravo::FindField(text, tag, value.size());
    // "[GMSG:" matches when the tag is GMSG itself; a value read back may differ only by the bracket stand-in.
    if (tag != "GMSG" && (!back || back->size() != value.size())) {
        std::abort();
    }
    return 0;
}
