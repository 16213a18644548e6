#include "window/command_line.h"

#include <string_view>

#ifndef MCPLOT_VERSION
#define MCPLOT_VERSION "unknown"
#endif

namespace mcplot {
namespace {

constexpr std::string_view kHelp =
    "Использование: mcplot [--help | --version]\n"
    "\n"
    "МК-Графики: графики функций и расчёт определённого интеграла\n"
    "методом Монте-Карло и методом трапеций. Программа открывает окно;\n"
    "рисунки формул и справки она берёт из текущей папки, а команда mcplot\n"
    "из пакета сама переходит в папку программы.\n"
    "\n"
    "  --help     показать эту справку и выйти\n"
    "  --version  показать версию и выйти\n"
    "\n"
    "Подробнее: man mcplot\n";

constexpr std::string_view kVersionTail =
    "\n"
    "Лицензия: GNU GPL версии 3 или любой более поздней версии.\n"
    "Это свободная программа: её можно изменять и распространять.\n"
    "Никаких гарантий не предоставляется.\n";

}  // namespace

std::optional<int> answerInfoOption(int argc, const char* const* argv, std::ostream& out) {
    if (argc < 2 || argv[1] == nullptr) return std::nullopt;
    const std::string_view option = argv[1];
    if (option == "--help") {
        out << kHelp;
    } else if (option == "--version") {
        out << "МК-Графики (mcplot) " << MCPLOT_VERSION << kVersionTail;
    } else {
        return std::nullopt;
    }
    out.flush();
    return out ? 0 : 1;
}

}  // namespace mcplot
