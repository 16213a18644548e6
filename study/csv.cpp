#include "study/csv.h"

namespace mcplot::study {

CsvWriter& CsvWriter::text(const std::string& s) {
    if (!first_) out_ += style_.field;
    first_ = false;
    if (s.find_first_of(std::string{style_.field, '"', '\n', '\r'}) == std::string::npos) {
        out_ += s;
        return *this;
    }
    out_ += '"';
    for (char c : s) {
        if (c == '"') out_ += '"';
        out_ += c;
    }
    out_ += '"';
    return *this;
}

CsvWriter& CsvWriter::endLine() {
    out_ += "\r\n";
    first_ = true;
    return *this;
}

}  // namespace mcplot::study
