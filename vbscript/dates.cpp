#include "vbscript/dates.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "vbscript/formats.h"
#include "vbscript/locale.h"
#include "vbscript/text.h"

namespace mcplot::vbs {

namespace {

// Howard Hinnant's civil-from-days arithmetic, shifted to the 1899 epoch.
int64_t civilDays(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const int64_t kEpoch = civilDays(1899, 12, 30);

}  // namespace

int64_t daysFromCivil(int64_t y, int m, int d) {
    return civilDays(y, m, d) - kEpoch;
}

DateParts splitDate(double serial) {
    DateParts p;
    if (!std::isfinite(serial) || serial < kMinDate - 1 || serial > kMaxDate + 1) return p;
    int64_t days = static_cast<int64_t>(std::trunc(serial));
    double frac = std::fabs(serial - static_cast<double>(days));
    int64_t secs = std::llround(frac * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        days += serial >= 0 ? 1 : -1;
    }
    civilFromDays(days + kEpoch, p.year, p.month, p.day);
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    // 30 December 1899 was a Saturday.
    p.weekday = static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;
    return p;
}

bool makeDate(int64_t days, double secondsOfDay, double& out) {
    const double t = secondsOfDay / 86400.0;
    const double v = days >= 0 ? static_cast<double>(days) + t : static_cast<double>(days) - t;
    if (!(v >= kMinDate && v <= kMaxDate + 1e-6)) return false;
    out = v;
    return true;
}

double dateSerial(int64_t y, int64_t m, int64_t d, bool& ok) {
    ok = false;
    if (y >= 0 && y < 30)
        y += 2000;
    else if (y >= 30 && y < 100)
        y += 1900;
    if (std::llabs(y) > 100000 || std::llabs(m) > 1200000 || std::llabs(d) > 100000000) return 0;
    const int64_t months = y * 12 + (m - 1);
    const int64_t yy = months >= 0 ? months / 12 : -((-months + 11) / 12);
    const int64_t mm = months - yy * 12 + 1;
    const int64_t days = civilDays(yy, mm, 1) - kEpoch + (d - 1);
    double out = 0;
    if (!makeDate(days, 0, out)) return 0;
    ok = true;
    return out;
}

std::string dateText(double serial) {
    if (activeLocale()) [[unlikely]]
        return localDateText(serial);
    const DateParts p = splitDate(serial);
    const double whole = std::trunc(serial);
    const bool hasTime = p.hour != 0 || p.minute != 0 || p.second != 0;
    char buf[64];
    std::string out;
    if (whole != 0 || !hasTime) {
        std::snprintf(buf, sizeof buf, "%d/%d/%d", p.month, p.day, p.year);
        out = buf;
    }
    if (hasTime) {
        const int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
        std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, p.minute, p.second, p.hour < 12 ? "AM" : "PM");
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}

namespace {

struct Reader {
    std::string_view s;
    size_t k = 0;
    void blanks() {
        while (k < s.size() && (s[k] == ' ' || s[k] == '\t')) ++k;
    }
    bool number(int64_t& v, int maxDigits = 9) {
        blanks();
        size_t start = k;
        v = 0;
        while (k < s.size() && s[k] >= '0' && s[k] <= '9' && k - start < static_cast<size_t>(maxDigits))
            v = v * 10 + (s[k++] - '0');
        return k > start;
    }
    bool take(char c) {
        blanks();
        if (k < s.size() && s[k] == c) {
            ++k;
            return true;
        }
        return false;
    }
    bool done() {
        blanks();
        return k == s.size();
    }
};

bool readTime(Reader& r, double& seconds) {
    int64_t h = 0, m = 0, sec = 0;
    if (!r.number(h, 2) || !r.take(':') || !r.number(m, 2)) return false;
    if (r.take(':') && !r.number(sec, 2)) return false;
    r.blanks();
    bool pm = false, am = false;
    if (r.k + 1 < r.s.size()) {
        const char a = static_cast<char>(r.s[r.k] | 0x20), b = static_cast<char>(r.s[r.k + 1] | 0x20);
        if ((a == 'a' || a == 'p') && b == 'm') {
            pm = a == 'p';
            am = !pm;
            r.k += 2;
        }
    }
    if (am || pm) {
        if (h < 1 || h > 12) return false;
        h = h % 12 + (pm ? 12 : 0);
    }
    if (h > 23 || m > 59 || sec > 59) return false;
    seconds = static_cast<double>(h * 3600 + m * 60 + sec);
    return true;
}

bool validDay(int64_t y, int64_t m, int64_t d) {
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    static const int len[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= len[m - 1] + (m == 2 && leap ? 1 : 0);
}

}  // namespace

namespace {

// The month a word names (1 to 12): in English, full or its first three
// letters, or in the words of the locale; 0 for none.
int monthNamed(std::string_view word, const Locale* l) {
    const std::string w = lowerText(word);
    const auto in = [&w](const char* const* names) {
        if (!names) return 0;
        for (int k = 0; k < 12; ++k) {
            std::string name = lowerText(names[k]);
            if (!name.empty() && name.back() == '.') name.pop_back();
            if (w == name) return k + 1;
        }
        return 0;
    };
    if (w.size() >= 3)
        for (int k = 0; k < 12; ++k)
            if (lowerText(std::string_view(defaultLocale().months[k]).substr(0, w.size())) == w) return k + 1;
    if (!l) return 0;
    if (int m = in(l->months)) return m;
    if (int m = in(l->monthsOf)) return m;
    return in(l->shortMonths);
}

bool letter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
}

int64_t fullYear(int64_t y, size_t digits) {
    if (digits <= 2) return y < 30 ? y + 2000 : y + 1900;
    return y;
}

// "October 19, 1962", "19 October 1962 13:45": a month by name, the day and
// the year, then perhaps a time.
bool readNamedDate(Reader& r, const Locale* l, double& out) {
    int month = 0;
    int64_t nums[2] = {0, 0};
    size_t digits[2] = {0, 0};
    int count = 0;
    double seconds = 0;
    while (!r.done()) {
        const unsigned char c = static_cast<unsigned char>(r.s[r.k]);
        if (c == ',' || c == '-' || c == '/' || c == '.') {
            ++r.k;
            continue;
        }
        if (letter(c)) {
            const size_t start = r.k;
            while (r.k < r.s.size() && letter(static_cast<unsigned char>(r.s[r.k]))) ++r.k;
            const std::string_view word = r.s.substr(start, r.k - start);
            if (const int m = monthNamed(word, l); m && !month)
                month = m;
            else if (!(l && l->longDate == 'R' && lowerText(word) == "г"))
                return false;  // a day of the week, too, makes no date the language reads
            continue;
        }
        const size_t start = r.k;
        int64_t v = 0;
        if (!r.number(v)) return false;
        if (r.k < r.s.size() && r.s[r.k] == ':') {
            r.k = start;
            if (!readTime(r, seconds) || !r.done()) return false;
            break;
        }
        if (count == 2) return false;
        digits[count] = r.k - start;
        nums[count++] = v;
    }
    if (!month || count == 0) return false;
    int64_t y = 0, d = 1;
    if (count == 2) {
        const bool yearFirst = digits[0] >= 3 || nums[0] > 31;
        y = fullYear(yearFirst ? nums[0] : nums[1], yearFirst ? digits[0] : digits[1]);
        d = yearFirst ? nums[1] : nums[0];
    } else if (nums[0] > 31 || digits[0] >= 3) {
        y = fullYear(nums[0], digits[0]);
    } else {
        d = nums[0];
        y = splitDate(nowSerial()).year;
    }
    if (!validDay(y, month, d)) return false;
    return makeDate(daysFromCivil(y, month, static_cast<int>(d)), seconds, out);
}

bool readDate(std::string_view text, double& out, const Locale* l) {
    Reader r{text};
    r.blanks();
    const size_t start = r.k;
    double seconds = 0;
    if (readTime(r, seconds) && r.done()) return makeDate(0, seconds, out);
    r.k = start;
    int64_t a = 0, b = 0, c = 0;
    if (!r.number(a)) {
        r.k = start;
        return readNamedDate(r, l, out);
    }
    const size_t afterFirst = r.k;
    char sep = 0;
    if (r.take('/'))
        sep = '/';
    else if (r.take('-'))
        sep = '-';
    else if (r.take('.'))
        sep = '.';
    if (!sep || !r.number(b)) {
        r.k = start;
        return readNamedDate(r, l, out);
    }
    if (!r.take(sep)) return false;
    const size_t beforeYear = r.k;
    if (!r.number(c)) return false;
    int64_t y, m, d;
    if (afterFirst - start >= 3) {  // year first
        y = a, m = b, d = c;
    } else {
        // The order of the regional settings; when that is no date, the
        // other order of day and month (13/1/2020 and 1/13/2020 alike).
        const bool dayFirst = l && l->dateOrder == 'D';
        m = dayFirst ? b : a;
        d = dayFirst ? a : b;
        y = fullYear(c, r.k - beforeYear);
        if (!validDay(y, m, d) && validDay(y, d, m)) std::swap(m, d);
    }
    if (!validDay(y, m, d)) return false;
    if (!r.done()) {
        if (!readTime(r, seconds) || !r.done()) return false;
    }
    return makeDate(daysFromCivil(y, static_cast<int>(m), static_cast<int>(d)), seconds, out);
}

}  // namespace

bool parseDate(std::string_view text, double& out) {
    return readDate(text, out, activeLocale());
}

bool parseDateLiteral(std::string_view text, double& out) {
    return readDate(text, out, nullptr);
}

double nowSerial() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    double out = 0;
    makeDate(daysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
             tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec, out);
    return out;
}

}  // namespace mcplot::vbs
