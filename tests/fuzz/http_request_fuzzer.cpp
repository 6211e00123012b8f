// What a client sends the site server in its request line and validators, any bytes: the
// request target's origin form is "/" or a tail of the target; If-None-Match holds for a list
// naming the tag, weak or strong, and for nothing without a tag or "*"; a date, once read,
// writes and reads back to the same time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "web/serve/http_validators.h"
#include "web/serve/request_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string_view origin = web::serve::OriginFormOf(input);
    fuzz::Require(origin == "/" || input.ends_with(origin));
    if (input.starts_with("/")) {
        fuzz::Require(origin == input);
    }

    // A field and a tag's insides, split at the first line break.
    const std::size_t split = input.find('\n');
    const std::string_view field = input.substr(0, split);
    if (field.find('"') == std::string_view::npos && field.find('*') == std::string_view::npos) {
        // No tag at all, nor "*": nothing is named.
        fuzz::Require(!web::serve::NoneMatchHolds(field, "\"t\""));
    }
    if (split != std::string_view::npos && input.find('"', split) == std::string_view::npos) {
        const std::string tag = "\"" + std::string(input.substr(split + 1)) + "\"";
        fuzz::Require(web::serve::NoneMatchHolds(tag, tag));
        fuzz::Require(web::serve::NoneMatchHolds("W/" + tag, tag));
        fuzz::Require(web::serve::NoneMatchHolds("\"x\", " + tag + " ,", tag));
    }

    // A date read writes and reads back to the same time, within the years it can be written.
    if (const auto when = web::serve::ParseHttpDate(field);
        when && *when >= 0 && *when < 253402300800) {
        fuzz::Require(web::serve::ParseHttpDate(web::serve::HttpDate(*when)) == when);
    }
    return 0;
}
