// The regional settings a script may choose with SetLocale: how numbers,
// amounts and dates are written and read. Without SetLocale a script works in
// English (United States), locale 1033, whose texts the conversion code makes
// by itself; a chosen locale is installed for the duration of each call into
// the interpreter that chose it (LocaleScope), so nothing is shared between
// interpreters and a script that never calls SetLocale pays nothing for it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mcplot::vbs {

struct Locale {
    int32_t id = 1033;
    const char* decimal = ".";  // UTF-8
    const char* group = ",";
    const char* currency = "$";
    bool currencyFirst = true;  // "$5" rather than "5 $"
    bool currencySpace = false;
    // How a negative amount is written: "($5.00)", "-$5.00" or "-5,00 €".
    enum class NegativeAmount : uint8_t {
        Parentheses,
        MinusFirst
    } negativeAmount = NegativeAmount::Parentheses;
    char dateOrder = 'M';  // the order of the short date: M/d/y, d/M/y or y/M/d
    const char* dateSeparator = "/";
    bool padDayMonth = false;  // 05/03/2019 rather than 5/3/2019
    bool hour12 = true;        // 1:45:00 PM rather than 13:45:00
    bool padHour = false;      // 09:05:00 rather than 9:05:00
    // The long date: 'U' "Friday, May 31, 2019", 'G' "31 May 2019",
    // 'R' "31 мая 2019 г.", 'D' "Freitag, 31. Mai 2019", 'F' "vendredi 31 mai 2019".
    char longDate = 'U';
    const char* const* months = nullptr;    // January ..., in the nominative
    const char* const* monthsOf = nullptr;  // in the long date (the genitive in Russian)
    const char* const* shortMonths = nullptr;
    const char* const* days = nullptr;  // Sunday ...
    const char* const* shortDays = nullptr;
};

// The locale a script starts in, 1033.
const Locale& defaultLocale();
// The locale of a number from the language's chart (0, 1024 and 2048 mean
// the default), or nullptr for a number the chart does not have.
const Locale* localeById(int32_t id);
// The locale of a short string of the chart ("en-gb", "ru", "de"), or nullptr.
const Locale* localeByTag(std::string_view tag);

// The locale installed for this thread's running script, or nullptr for the
// default one.
const Locale* activeLocale();

// Installs a script's locale (nullptr for the default) while it runs.
class LocaleScope {
public:
    explicit LocaleScope(const Locale* locale);
    ~LocaleScope();
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;
    // Changes the locale of the running call (SetLocale).
    static void change(const Locale* locale);

private:
    const Locale* previous_;
};

// Number texts in the active locale: "0.5" written with its decimal
// separator, and a text read back with its separators into "." form (false
// when it does not read as a number there). Plain functions of the default
// locale cost nothing: callers test activeLocale() first.
std::string localNumberText(std::string text, const Locale& l);
bool toPlainNumberText(std::string_view text, const Locale& l, std::string& plain);

}  // namespace mcplot::vbs
