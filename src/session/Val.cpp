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

[[noreturn]] void overflow() {
    throw host::HostError(6, QStringLiteral("Val"), QStringLiteral("溢出"));
}

// "&H1F" and "&O17": the digits as a 16-bit value when they fit, else as a
// 32-bit one, so "&HFFFF" is -1 like the literal it stands for.
double radixValue(const QString& text, qsizetype i, int base) {
    quint64 value = 0;
    bool any = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i).toUpper();
        int digit = -1;
        if (isDigit(c)) digit = c.unicode() - '0';
        if (c >= QLatin1Char('A') && c <= QLatin1Char('F')) digit = 10 + (c.unicode() - 'A');
        if (digit < 0 || digit >= base) break;
        value = value * quint64(base) + quint64(digit);
        if (value > 0xFFFFFFFFull) overflow();
        any = true;
    }
    if (!any) return 0.0;
    if (value <= 0xFFFFull) return double(qint16(quint16(value)));
    return double(qint32(quint32(value)));
}

}  // namespace

double Val(const QString& text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text.at(i))) ++i;

    if (i + 1 < n && text.at(i) == QLatin1Char('&')) {
        const QChar radix = text.at(i + 1).toUpper();
        if (radix == QLatin1Char('H')) return radixValue(text, i + 2, 16);
        if (radix == QLatin1Char('O')) return radixValue(text, i + 2, 8);
        return 0.0;
    }

    std::string number;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        if (text.at(i) == QLatin1Char('-')) number += '-';
        ++i;
    }
    int mantissaDigits = 0;
    int integerDigits = 0;  // significant digits before the decimal point
    int leadingFractionZeros = 0;
    bool seenSignificant = false;
    while (i < n && isDigit(text.at(i))) {
        const char c = char(text.at(i).unicode());
        if (c != '0') seenSignificant = true;
        if (seenSignificant) ++integerDigits;
        number += c;
        ++mantissaDigits;
        ++i;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        number += '.';
        ++i;
        while (i < n && isDigit(text.at(i))) {
            const char c = char(text.at(i).unicode());
            if (c != '0') seenSignificant = true;
            if (!seenSignificant) ++leadingFractionZeros;
            number += c;
            ++mantissaDigits;
            ++i;
        }
    }
    if (mantissaDigits == 0) return 0.0;

    // An exponent counts only with at least one digit: "1e" is 1.
    long exponent = 0;
    if (i < n) {
        const QChar e = text.at(i).toUpper();
        if (e == QLatin1Char('E') || e == QLatin1Char('D')) {
            qsizetype j = i + 1;
            bool negative = false;
            if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-'))) {
                negative = text.at(j) == QLatin1Char('-');
                ++j;
            }
            std::string digits;
            while (j < n && isDigit(text.at(j))) {
                digits += char(text.at(j).unicode());
                if (exponent < 1000000) exponent = exponent * 10 + (digits.back() - '0');
                ++j;
            }
            if (!digits.empty()) {
                number += negative ? "e-" : "e";
                number += digits;
                if (negative) exponent = -exponent;
            }
        }
    }

    double value = 0.0;
    const char* first = number.data();
    const auto [end, error] = std::from_chars(first, first + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (!seenSignificant) return 0.0;
        // The decimal magnitude tells an overflow from an underflow.
        const long magnitude =
            integerDigits > 0 ? integerDigits + exponent : exponent - leadingFractionZeros;
        if (magnitude > 0) overflow();
        return 0.0;
    }
    if (error != std::errc() || !std::isfinite(value)) overflow();
    return value == 0.0 ? 0.0 : value;
}

}  // namespace zx
