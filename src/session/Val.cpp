#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "zx/host/HostError.h"
#include "zx/session/Session.h"

namespace zx {

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

}  // namespace

// The number the text begins with: a sign, digits and one decimal point.
// Nothing after them counts, so "&H1" is 0, "1D1" is 1 and "17.5%" is 17.5.
double Val(const QString& text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text.at(i))) ++i;

    std::string number;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        if (text.at(i) == QLatin1Char('-')) number += '-';
        ++i;
    }
    int digits = 0;
    while (i < n && isDigit(text.at(i))) {
        number += char(text.at(i++).unicode());
        ++digits;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        number += '.';
        ++i;
        while (i < n && isDigit(text.at(i))) {
            number += char(text.at(i++).unicode());
            ++digits;
        }
    }
    if (digits == 0) return 0.0;

    double value = 0.0;
    const char* first = number.data();
    const auto [end, error] = std::from_chars(first, first + number.size(), value);
    // Only a number of hundreds of digits leaves the range of a double.
    if (error != std::errc() || !std::isfinite(value)) {
        throw host::HostError(6, QStringLiteral("Val"), QStringLiteral("溢出"));
    }
    return value == 0.0 ? 0.0 : value;
}

}  // namespace zx
