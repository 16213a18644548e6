#include "vbscript/locale.h"

#include <vector>

namespace mcplot::vbs {

namespace {

const char* const kEnMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};
const char* const kEnShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kEnDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kEnShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kRuShortDays[] = {"Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"};
const char* const kDeShortDays[] = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
const char* const kFrShortDays[] = {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."};
const char* const kRuMonths[] = {"Январь", "Февраль", "Март",     "Апрель",  "Май",    "Июнь",
                                 "Июль",   "Август",  "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
const char* const kRuMonthsOf[] = {"января", "февраля", "марта",    "апреля",  "мая",    "июня",
                                   "июля",   "августа", "сентября", "октября", "ноября", "декабря"};
const char* const kRuShortMonths[] = {"янв", "фев", "мар", "апр", "май", "июн",
                                      "июл", "авг", "сен", "окт", "ноя", "дек"};
const char* const kRuDays[] = {"воскресенье", "понедельник", "вторник", "среда",
                               "четверг",     "пятница",     "суббота"};
const char* const kDeMonths[] = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                                 "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
const char* const kDeShortMonths[] = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun",
                                      "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
const char* const kDeDays[] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                               "Donnerstag", "Freitag", "Samstag"};
const char* const kFrMonths[] = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                                 "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
const char* const kFrShortMonths[] = {"janv.", "févr.", "mars",  "avr.", "mai",  "juin",
                                      "juil.", "août",  "sept.", "oct.", "nov.", "déc."};
const char* const kFrDays[] = {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"};

constexpr const char* kNoBreakSpace = "\u00A0";

Locale unitedStates() {
    Locale l;
    l.months = l.monthsOf = kEnMonths;
    l.shortMonths = kEnShortMonths;
    l.days = kEnDays;
    l.shortDays = kEnShortDays;
    return l;
}

Locale britain() {
    Locale l = unitedStates();
    l.currency = "£";
    l.negativeAmount = Locale::NegativeAmount::MinusFirst;
    l.dateOrder = 'D';
    l.padDayMonth = true;
    l.hour12 = false;
    l.padHour = true;
    l.longDate = 'G';
    return l;
}

Locale russia() {
    Locale l;
    l.decimal = ",";
    l.group = kNoBreakSpace;
    l.currency = "₽";
    l.currencyFirst = false;
    l.currencySpace = true;
    l.negativeAmount = Locale::NegativeAmount::MinusFirst;
    l.dateOrder = 'D';
    l.dateSeparator = ".";
    l.padDayMonth = true;
    l.hour12 = false;
    l.longDate = 'R';
    l.months = kRuMonths;
    l.monthsOf = kRuMonthsOf;
    l.shortMonths = kRuShortMonths;
    l.days = kRuDays;
    l.shortDays = kRuShortDays;
    return l;
}

Locale germany() {
    Locale l = russia();
    l.group = ".";
    l.currency = "€";
    l.padHour = true;
    l.longDate = 'D';
    l.months = l.monthsOf = kDeMonths;
    l.shortMonths = kDeShortMonths;
    l.days = kDeDays;
    l.shortDays = kDeShortDays;
    return l;
}

Locale france() {
    Locale l = germany();
    l.group = kNoBreakSpace;
    l.dateSeparator = "/";
    l.longDate = 'F';
    l.months = l.monthsOf = kFrMonths;
    l.shortMonths = kFrShortMonths;
    l.days = kFrDays;
    l.shortDays = kFrShortDays;
    return l;
}

// The language's locale chart: short string and number. Languages whose texts
// we know (English, Russian, German, French) write and read in their own way;
// the others keep the texts of 1033.
struct ChartEntry {
    const char* tag;
    int32_t id;
};
const ChartEntry kChart[] = {
    {"af", 1078},
    {"sq", 1052},
    {"ar-ae", 14337},
    {"ar-bh", 15361},
    {"ar-dz", 5121},
    {"ar-eg", 3073},
    {"ar-iq", 2049},
    {"ar-jo", 11265},
    {"ar-kw", 13313},
    {"ar-lb", 12289},
    {"ar-ly", 4097},
    {"ar-ma", 6145},
    {"ar-om", 8193},
    {"ar-qa", 16385},
    {"ar-sa", 1025},
    {"ar-sy", 10241},
    {"ar-tn", 7169},
    {"ar-ye", 9217},
    {"hy", 1067},
    {"az-az", 1068},
    {"az-az", 2092},
    {"eu", 1069},
    {"be", 1059},
    {"bg", 1026},
    {"ca", 1027},
    {"zh-cn", 2052},
    {"zh-hk", 3076},
    {"zh-mo", 5124},
    {"zh-sg", 4100},
    {"zh-tw", 1028},
    {"hr", 1050},
    {"cs", 1029},
    {"da", 1030},
    {"nl-nl", 1043},
    {"nl-be", 2067},
    {"en-au", 3081},
    {"en-bz", 10249},
    {"en-ca", 4105},
    {"en-cb", 9225},
    {"en-ie", 6153},
    {"en-jm", 8201},
    {"en-nz", 5129},
    {"en-ph", 13321},
    {"en-za", 7177},
    {"en-tt", 11273},
    {"en-gb", 2057},
    {"en-us", 1033},
    {"en-zw", 12297},
    {"et", 1061},
    {"fo", 1080},
    {"fa", 1065},
    {"fi", 1035},
    {"fr-fr", 1036},
    {"fr-be", 2060},
    {"fr-ca", 3084},
    {"fr-lu", 5132},
    {"fr-ch", 4108},
    {"gd-ie", 2108},
    {"gd", 1084},
    {"de-de", 1031},
    {"de-at", 3079},
    {"de-li", 5127},
    {"de-lu", 4103},
    {"de-ch", 2055},
    {"el", 1032},
    {"he", 1037},
    {"hi", 1081},
    {"hu", 1038},
    {"is", 1039},
    {"id", 1057},
    {"it-it", 1040},
    {"it-ch", 2064},
    {"ja", 1041},
    {"ko", 1042},
    {"lv", 1062},
    {"lt", 1063},
    {"mk", 1071},
    {"ms-my", 1086},
    {"ms-bn", 2110},
    {"mt", 1082},
    {"mr", 1102},
    {"no-no", 1044},
    {"no-no", 2068},
    {"pl", 1045},
    {"pt-pt", 2070},
    {"pt-br", 1046},
    {"rm", 1047},
    {"ro", 1048},
    {"ro-mo", 2072},
    {"ru", 1049},
    {"ru-mo", 2073},
    {"sa", 1103},
    {"sr-sp", 3098},
    {"sr-sp", 2074},
    {"tn", 1074},
    {"sl", 1060},
    {"sk", 1051},
    {"sb", 1070},
    {"es-es", 1034},
    {"es-ar", 11274},
    {"es-bo", 16394},
    {"es-cl", 13322},
    {"es-co", 9226},
    {"es-cr", 5130},
    {"es-do", 7178},
    {"es-ec", 12298},
    {"es-gt", 4106},
    {"es-hn", 18442},
    {"es-mx", 2058},
    {"es-ni", 19466},
    {"es-pa", 6154},
    {"es-pe", 10250},
    {"es-pr", 20490},
    {"es-py", 15370},
    {"es-sv", 17418},
    {"es-uy", 14346},
    {"es-ve", 8202},
    {"sx", 1072},
    {"sw", 1089},
    {"sv-se", 1053},
    {"sv-fi", 2077},
    {"ta", 1097},
    {"tt", 1092},
    {"th", 1054},
    {"tr", 1055},
    {"ts", 1073},
    {"uk", 1058},
    {"ur", 1056},
    {"uz-uz", 2115},
    {"uz-uz", 1091},
    {"vi", 1066},
    {"xh", 1076},
    {"yi", 1085},
    {"zu", 1077},
    // The language alone, and language and country, name the main locale too.
    {"en", 1033},
    {"ru-ru", 1049},
    {"de", 1031},
    {"fr", 1036},
    {"es", 1034},
    {"it", 1040},
    {"nl", 1043},
    {"pt", 2070},
    {"sv", 1053},
    {"ar", 1025},
    {"zh", 2052},
    {"ms", 1086},
    {"no", 1044},
    {"uk-ua", 1058},
    {"pl-pl", 1045},
    {"cs-cz", 1029},
    {"ja-jp", 1041},
    {"ko-kr", 1042},
};

const std::vector<Locale>& allLocales() {
    static const std::vector<Locale> all = [] {
        std::vector<Locale> v;
        for (const ChartEntry& e : kChart) {
            const std::string_view tag = e.tag;
            Locale l = tag == "en-us" || tag == "en" ? unitedStates()
                       : tag.substr(0, 2) == "en"    ? britain()
                       : tag.substr(0, 2) == "ru"    ? russia()
                       : tag.substr(0, 2) == "de"    ? germany()
                       : tag.substr(0, 2) == "fr"    ? france()
                                                     : unitedStates();
            l.id = e.id;
            v.push_back(l);
        }
        return v;
    }();
    return all;
}

thread_local const Locale* installed = nullptr;

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

const Locale& defaultLocale() {
    static const Locale l = unitedStates();
    return l;
}

const Locale* localeById(int32_t id) {
    if (id == 0 || id == 1024 || id == 2048) return &defaultLocale();
    const std::vector<Locale>& all = allLocales();
    for (const Locale& l : all)
        if (l.id == id) return &l;
    return nullptr;
}

const Locale* localeByTag(std::string_view tag) {
    const std::string t = lowerAscii(tag);
    const std::vector<Locale>& all = allLocales();
    for (size_t k = 0; k < std::size(kChart); ++k)
        if (t == kChart[k].tag) return &all[k];
    return nullptr;
}

const Locale* activeLocale() {
    return installed;
}

LocaleScope::LocaleScope(const Locale* locale) : previous_(installed) {
    installed = locale;
}
LocaleScope::~LocaleScope() {
    installed = previous_;
}
void LocaleScope::change(const Locale* locale) {
    installed = locale;
}

std::string localNumberText(std::string text, const Locale& l) {
    const size_t point = text.find('.');
    if (point != std::string::npos) text.replace(point, 1, l.decimal);
    return text;
}

bool toPlainNumberText(std::string_view text, const Locale& l, std::string& plain) {
    const std::string_view decimal = l.decimal, group = l.group;
    plain.clear();
    bool digitBefore = false, afterPoint = false;
    for (size_t k = 0; k < text.size();) {
        const std::string_view rest = text.substr(k);
        if (rest.substr(0, decimal.size()) == decimal) {
            if (afterPoint) return false;
            plain += '.';
            afterPoint = true;
            k += decimal.size();
            continue;
        }
        // A group separator stands between digits of the whole part; where it
        // is a no-break space, a plain space does as well.
        size_t groupBytes = rest.substr(0, group.size()) == group ? group.size() : 0;
        if (!groupBytes && group == kNoBreakSpace && rest[0] == ' ') groupBytes = 1;
        if (!afterPoint && digitBefore && groupBytes && k + groupBytes < text.size() &&
            text[k + groupBytes] >= '0' && text[k + groupBytes] <= '9') {
            k += groupBytes;
            continue;
        }
        const char c = text[k];
        if (c == '.') return false;  // not this locale's decimal separator
        if (c == 'e' || c == 'E') afterPoint = true;
        digitBefore = c >= '0' && c <= '9';
        plain += c;
        ++k;
    }
    return true;
}

}  // namespace mcplot::vbs
