#include "vbscript/formats.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "vbscript/dates.h"
#include "vbscript/locale.h"
#include "vbscript/text.h"

namespace mcplot::vbs {

namespace {

const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
const char* const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

// Adds one to a string of decimal digits; true when it grew by a digit.
bool incrementDigits(std::string& digits) {
    for (size_t k = digits.size(); k-- > 0;) {
        if (digits[k] != '9') {
            ++digits[k];
            return false;
        }
        digits[k] = '0';
    }
    digits.insert(digits.begin(), '1');
    return true;
}

bool plainChar(uint32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '@' ||
           c == '*' || c == '_' || c == '+' || c == '-' || c == '.' || c == '/';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The value of `count` hex digits at s[pos], or -1.
int32_t hexAt(std::string_view s, size_t pos, size_t count) {
    if (pos > s.size() || s.size() - pos < count) return -1;
    int32_t v = 0;
    for (size_t k = 0; k < count; ++k) {
        const int d = hexValue(s[pos + k]);
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

// Appends UTF-16 code units as characters, joining surrogate pairs.
void appendUnits(std::string& out, const uint16_t* units, size_t n) {
    for (size_t k = 0; k < n; ++k) {
        const uint32_t u = units[k];
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < n && units[k + 1] >= 0xDC00 && units[k + 1] <= 0xDFFF) {
            appendChar(out, 0x10000 + ((u - 0xD800) << 10) + (units[k + 1] - 0xDC00u));
            ++k;
        } else {
            appendChar(out, u);
        }
    }
}

template <typename F>
void forEachUnit(std::string_view s, F&& f) {
    for (size_t pos = 0; pos < s.size();) {
        size_t n = 0;
        const uint32_t cp = decodeChar(s, pos, n);
        pos += n;
        if (cp >= kLoneByte && cp <= kLoneByte + 0xFF) {
            f(static_cast<uint16_t>(cp - kLoneByte), true);
        } else if (cp >= 0x10000) {
            f(static_cast<uint16_t>(0xD800 + ((cp - 0x10000) >> 10)), false);
            f(static_cast<uint16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)), false);
        } else {
            f(static_cast<uint16_t>(cp), false);
        }
    }
}

}  // namespace

std::string formatNumberText(double v, const NumberStyle& style, std::string_view prefix,
                             std::string_view suffix) {
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
    const std::string_view sci(buf, static_cast<size_t>(r.ptr - buf));
    const size_t e = sci.find('e');
    int exponent = 0;
    std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
    std::string all;
    for (char c : sci.substr(0, e))
        if (c != '.') all += c;

    // all holds the digits with `point` of them before the decimal point.
    int point = exponent + 1;
    if (point < 1) {
        all.insert(0, static_cast<size_t>(1 - point), '0');
        point = 1;
    }
    if (static_cast<int>(all.size()) < point) all.append(static_cast<size_t>(point) - all.size(), '0');
    const size_t keep = static_cast<size_t>(point + style.decimals);
    if (all.size() > keep) {
        const bool up = all[keep] >= '5';
        all.resize(keep);
        if (up && incrementDigits(all)) ++point;
    } else {
        all.append(keep - all.size(), '0');
    }
    std::string whole = all.substr(0, static_cast<size_t>(point));
    const std::string fraction = all.substr(static_cast<size_t>(point));
    const size_t firstDigit = whole.find_first_not_of('0');
    whole = firstDigit == std::string::npos ? "0" : whole.substr(firstDigit);
    const bool zero = whole == "0" && fraction.find_first_not_of('0') == std::string::npos;
    if (whole == "0" && !style.leadingZero && !fraction.empty()) whole.clear();
    const Locale* l = activeLocale();
    if (style.groupDigits)
        for (size_t k = whole.size(); k > 3; k -= 3) whole.insert(k - 3, l ? l->group : ",");

    std::string body(prefix);
    body += whole;
    if (!fraction.empty()) {
        body += l ? l->decimal : ".";
        body += fraction;
    }
    body += suffix;
    if (v >= 0 || zero) return body;
    return style.parensForNegative ? "(" + body + ")" : "-" + body;
}

CurrencyStyle currencyStyle() {
    const Locale* l = activeLocale();
    if (!l) return {"$", "", true};
    const std::string space = l->currencySpace ? " " : "";
    CurrencyStyle c;
    if (l->currencyFirst)
        c.prefix = l->currency + space;
    else
        c.suffix = space + l->currency;
    c.parentheses = l->negativeAmount == Locale::NegativeAmount::Parentheses;
    return c;
}

std::string longDateText(double serial) {
    const DateParts p = splitDate(serial);
    const Locale* l = activeLocale();
    const std::string day = std::to_string(p.day), year = std::to_string(p.year);
    if (!l || l->longDate == 'U') {
        const char* const* days = l ? l->days : kDayNames;
        const char* const* months = l ? l->monthsOf : kMonthNames;
        return std::string(days[p.weekday - 1]) + ", " + months[p.month - 1] + " " + day + ", " + year;
    }
    const std::string weekday = l->days[p.weekday - 1], month = l->monthsOf[p.month - 1];
    switch (l->longDate) {
        case 'G':
            return (p.day < 10 ? "0" : "") + day + " " + month + " " + year;
        case 'R':
            return day + " " + month + " " + year + " г.";
        case 'D':
            return weekday + ", " + day + ". " + month + " " + year;
        default:
            return weekday + " " + day + " " + month + " " + year;
    }
}

std::string shortDateText(double serial) {
    const DateParts p = splitDate(serial);
    const Locale* l = activeLocale();
    if (!l) return std::to_string(p.month) + "/" + std::to_string(p.day) + "/" + std::to_string(p.year);
    char day[8], month[8];
    std::snprintf(day, sizeof day, l->padDayMonth ? "%02d" : "%d", p.day);
    std::snprintf(month, sizeof month, l->padDayMonth ? "%02d" : "%d", p.month);
    const std::string sep = l->dateSeparator;
    if (l->dateOrder == 'D') return day + sep + month + sep + std::to_string(p.year);
    return month + sep + day + sep + std::to_string(p.year);
}

std::string longTimeText(double serial) {
    const DateParts p = splitDate(serial);
    char buf[32];
    if (const Locale* l = activeLocale(); l && !l->hour12) {
        std::snprintf(buf, sizeof buf, l->padHour ? "%02d:%02d:%02d" : "%d:%02d:%02d", p.hour, p.minute,
                      p.second);
        return buf;
    }
    const int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, p.minute, p.second, p.hour < 12 ? "AM" : "PM");
    return buf;
}

std::string shortTimeText(double serial) {
    const DateParts p = splitDate(serial);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d", p.hour, p.minute);
    return buf;
}

std::string localDateText(double serial) {
    const DateParts p = splitDate(serial);
    const bool hasTime = p.hour != 0 || p.minute != 0 || p.second != 0;
    std::string out;
    if (std::trunc(serial) != 0 || !hasTime) out = shortDateText(serial);
    if (hasTime) {
        if (!out.empty()) out += ' ';
        out += longTimeText(serial);
    }
    return out;
}

std::string escapeText(std::string_view s) {
    std::string out;
    char buf[8];
    forEachUnit(s, [&](uint16_t u, bool) {
        if (plainChar(u)) {
            out += static_cast<char>(u);
        } else if (u <= 0xFF) {
            std::snprintf(buf, sizeof buf, "%%%02X", u);
            out += buf;
        } else {
            std::snprintf(buf, sizeof buf, "%%u%04X", u);
            out += buf;
        }
    });
    return out;
}

std::string unescapeText(std::string_view s) {
    std::vector<uint16_t> units;
    std::string out;
    auto flush = [&] {
        appendUnits(out, units.data(), units.size());
        units.clear();
    };
    for (size_t k = 0; k < s.size();) {
        if (s[k] == '%') {
            int32_t v = -1;
            if (k + 1 < s.size() && (s[k + 1] == 'u' || s[k + 1] == 'U')) v = hexAt(s, k + 2, 4);
            if (v >= 0) {
                units.push_back(static_cast<uint16_t>(v));
                k += 6;
                continue;
            }
            v = hexAt(s, k + 1, 2);
            if (v >= 0) {
                units.push_back(static_cast<uint16_t>(v));
                k += 3;
                continue;
            }
        }
        flush();
        const size_t n = charBytes(s, k);
        out.append(s.substr(k, n));
        k += n;
    }
    flush();
    return out;
}

std::string toUtf16Bytes(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    forEachUnit(s, [&](uint16_t u, bool loneByte) {
        out += static_cast<char>(u & 0xFF);
        if (!loneByte) out += static_cast<char>(u >> 8);
    });
    return out;
}

std::string joinBytes(std::string_view a, std::string_view b) {
    return fromUtf16Bytes(toUtf16Bytes(a) + toUtf16Bytes(b));
}

std::string fromUtf16Bytes(std::string_view bytes) {
    std::vector<uint16_t> units;
    units.reserve(bytes.size() / 2 + 1);
    for (size_t k = 0; k + 1 < bytes.size(); k += 2)
        units.push_back(static_cast<uint16_t>(static_cast<unsigned char>(bytes[k]) |
                                              (static_cast<unsigned char>(bytes[k + 1]) << 8)));
    std::string out;
    appendUnits(out, units.data(), units.size());
    if (bytes.size() % 2 != 0) appendChar(out, kLoneByte + static_cast<unsigned char>(bytes.back()));
    return out;
}

}  // namespace mcplot::vbs
