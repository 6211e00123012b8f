#include "text/natural_order.h"

#include <cstddef>

namespace text {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

unsigned char Fold(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

std::size_t DigitRunEnd(std::string_view text, std::size_t start) {
    while (start < text.size() && IsDigit(text[start])) {
        ++start;
    }
    return start;
}

// Compares two runs of digits by their numeric value, without converting them (runs may be longer
// than any integer type holds).
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

int CompareFolded(std::string_view left, std::string_view right) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < left.size() && j < right.size()) {
        if (IsDigit(left[i]) && IsDigit(right[j])) {
            const std::size_t leftEnd = DigitRunEnd(left, i);
            const std::size_t rightEnd = DigitRunEnd(right, j);
            const int numbers =
                CompareNumbers(left.substr(i, leftEnd - i), right.substr(j, rightEnd - j));
            if (numbers != 0) {
                return numbers;
            }
            i = leftEnd;
            j = rightEnd;
            continue;
        }
        const unsigned char a = Fold(left[i]);
        const unsigned char b = Fold(right[j]);
        if (a != b) {
            return a < b ? -1 : 1;
        }
        ++i;
        ++j;
    }
    const bool leftDone = i == left.size();
    const bool rightDone = j == right.size();
    if (leftDone && rightDone) {
        return 0;
    }
    return leftDone ? -1 : 1;
}

}  // namespace

int CompareNatural(std::string_view left, std::string_view right) {
    const int natural = CompareFolded(left, right);
    if (natural != 0) {
        return natural;
    }
    const int bytes = left.compare(right);
    return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

}  // namespace text
