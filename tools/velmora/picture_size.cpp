#include "picture_size.h"

#include <charconv>
#include <string_view>

std::optional<std::pair<unsigned, unsigned>> ParseSize(const std::string& text) {
    const auto side = [](std::string_view digits) -> std::optional<unsigned> {
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size() || value == 0 ||
            value > 8192) {
            return std::nullopt;
        }
        return value;
    };
    const std::size_t x = text.find('x');
    if (x == std::string::npos) {
        return std::nullopt;
    }
    const auto width = side(std::string_view(text).substr(0, x));
    const auto height = side(std::string_view(text).substr(x + 1));
    if (!width || !height) {
        return std::nullopt;
    }
    return std::pair{*width, *height};
}

CLI::Option* AddSizeOption(CLI::App& command, std::function<void(unsigned, unsigned)> take,
                           const std::string& help) {
    return command
        .add_option_function<std::string>(
            "--size",
            [take = std::move(take)](const std::string& text) {
                const auto size = ParseSize(text);
                if (!size) {
                    throw CLI::ValidationError("--size", "takes WIDTHxHEIGHT, each 1 to 8192");
                }
                take(size->first, size->second);
            },
            help)
        ->type_name("WxH");
}
