#include "world_view/world_order.h"

#include <cstddef>

namespace world_view {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

unsigned char Folded(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

std::string_view DigitRun(std::string_view text, std::size_t start) {
    std::size_t end = start;
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
    }
    return text.substr(start, end - start);
}

// By value, digit by digit: runs may be longer than any integer holds.
int CompareNumbers(std::string_view left, std::string_view right) {
    const auto significant = [](std::string_view digits) {
        const std::size_t first = digits.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view{} : digits.substr(first);
    };
    const std::string_view a = significant(left);
    const std::string_view b = significant(right);
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    const int digits = a.compare(b);
    return digits < 0 ? -1 : (digits > 0 ? 1 : 0);
}

int CompareNatural(std::string_view left, std::string_view right) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < left.size() && j < right.size()) {
        if (IsDigit(left[i]) && IsDigit(right[j])) {
            const std::string_view a = DigitRun(left, i);
            const std::string_view b = DigitRun(right, j);
            if (const int numbers = CompareNumbers(a, b); numbers != 0) {
                return numbers;
            }
            i += a.size();
            j += b.size();
            continue;
        }
        const unsigned char a = Folded(left[i]);
        const unsigned char b = Folded(right[j]);
        if (a != b) {
            return a < b ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i == left.size() && j == right.size()) {
        return 0;
    }
    return i == left.size() ? -1 : 1;
}

}  // namespace

int CompareWorldNames(std::string_view left, std::string_view right) {
    if (const int natural = CompareNatural(left, right); natural != 0) {
        return natural;
    }
    const int bytes = left.compare(right);
    return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

}  // namespace world_view
