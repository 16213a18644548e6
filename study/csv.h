// Tables for a spreadsheet as CSV: UTF-8, one record a line ending in CR LF,
// `,` between fields and the decimal point, or `;` and the decimal comma for
// spreadsheets set to Russian.
#pragma once

#include <charconv>
#include <cmath>
#include <string>
#include <type_traits>

namespace mcplot::study {

struct CsvStyle {
    char field = ',';
    char decimal = '.';
    static CsvStyle russian() { return {';', ','}; }
};

class CsvWriter {
public:
    explicit CsvWriter(CsvStyle style) : style_(style) {}

    // A field, quoted when it holds the separator, a quote or a line break.
    CsvWriter& text(const std::string& s);
    // In the shortest form that reads back to the same value; a value that is
    // not finite leaves the field empty, as a spreadsheet expects of a gap.
    template <class T>
    CsvWriter& number(T v) {
        if constexpr (std::is_floating_point_v<T>)
            if (!std::isfinite(v)) return text({});
        char buf[40];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        std::string s(buf, r.ptr);
        for (char& c : s)
            if (c == '.') c = style_.decimal;
        return text(s);
    }
    CsvWriter& endLine();
    std::string result() && { return std::move(out_); }

private:
    CsvStyle style_;
    std::string out_;
    bool first_ = true;
};

}  // namespace mcplot::study
