// formdriver: runs the program's main window on the offscreen platform and
// drives it from standard input, one command per line, for end-to-end tests.
// Dialogs never block: message boxes are recorded and answered from `answer`,
// documents and programs are recorded instead of started.
//
//   size W H | start | select N | scroll K V | text K STRING | click NAME
//   menu NAME | resize W H | close | answer yes|no | seed N | dump | shot FILE
//   move L T   (outer position of Form1 in pixels, for the Authors window)
//   edit LABEL TEXT   (opens the value editor on Label1/3/4/5 as a double-click
//                      does, types TEXT and presses Enter)
//   save PATH  ("Сохранить рисунок…" with the file dialog answered PATH)
//   elapsed    (prints {"elapsed": S, "cpu": C}: seconds the previous command
//              took, on the clock and in processor time of the window's
//              thread, which is what keeps a user waiting)
//   study open | study nmax N | study runs M | study seed S
//   study run (to its end) | study start (returns at once) | study cancel
//   study save convergence|histogram FILE | study shot FILE
//   study savedata accuracy|methods [ru] PATH (a page's numbers as CSV, as its
//   "Сохранить данные…" does; the status line says where)
//   methods open (the study window's page "Методы") | methods n N | methods nmax N
//   methods runs M | methods perstratum P | methods seed S | methods run (to its end)
//   methods start | methods cancel
//   steps open | steps seed S | steps add K | steps reset | steps speed V
//   steps play MS (animates for MS milliseconds of the event loop, then pauses)
//   steps shot FILE | steps close
//   savesheet PATH (PNG, or PDF for a name ending in .pdf) | print PATH (the
//   worksheet through "Печать…" to a PDF printer) | savedata [ru] PATH (CSV; ru: `;` and
//   the decimal comma)
//
// `dump` prints one line of JSON; an unknown or impossible command prints
// {"error": "..."} and the driver goes on.
#include <QApplication>
#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPrinter>
#include <QScreen>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/recording_desktop.h"
#include "studywindow/methods_page.h"
#include "window/form1.h"
#include "window/qt_desktop.h"
#include "window/steps_panel.h"
#include "window/translations.h"

using namespace mcplot;

namespace {

// ---- A minimal JSON writer: no NaN or infinity out, and valid UTF-8 out
// whatever came in. ----

// Length of the well-formed UTF-8 sequence at s[k], or 0 when the bytes there
// do not start one (stray continuation, overlong form, surrogate, beyond
// U+10FFFF, cut short).
size_t utf8SequenceLength(const std::string& s, size_t k) {
    const auto byte = [&](size_t j) { return j < s.size() ? static_cast<unsigned char>(s[j]) : 0u; };
    const unsigned c = byte(k);
    if (c < 0x80) return 1;
    size_t len;
    unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (byte(k + 1) < lo || byte(k + 1) > hi) return 0;
    for (size_t j = 2; j < len; ++j)
        if (byte(k + j) < 0x80 || byte(k + j) > 0xBF) return 0;
    return len;
}

// A JSON string; each byte that is not part of well-formed UTF-8 becomes U+FFFD,
// so that a line echoing the user's input stays readable by any JSON reader.
std::string quote(const std::string& s) {
    std::string out = "\"";
    for (size_t k = 0; k < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[k]);
        const size_t len = utf8SequenceLength(s, k);
        if (len == 0) {
            out += "\\ufffd";
            ++k;
            continue;
        }
        if (len > 1) {
            out.append(s, k, len);
            k += len;
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += char(c);
                }
        }
        ++k;
    }
    return out + "\"";
}

// 17 significant digits; a value without a finite form is written as a string.
std::string number(double v) {
    if (std::isnan(v)) return "\"NaN\"";
    if (std::isinf(v)) return v > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    // to_chars: JSON needs "." whatever the user's locale says.
    char buf[40];
    const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
    return std::string(buf, result.ptr);
}

class Obj {
public:
    Obj& raw(const std::string& key, const std::string& json) {
        body_ += (body_.empty() ? "" : ",") + quote(key) + ":" + json;
        return *this;
    }
    Obj& str(const std::string& key, const std::string& v) { return raw(key, quote(v)); }
    Obj& num(const std::string& key, double v) { return raw(key, number(v)); }
    Obj& integer(const std::string& key, long long v) { return raw(key, std::to_string(v)); }
    Obj& boolean(const std::string& key, bool v) { return raw(key, v ? "true" : "false"); }
    std::string json() const { return "{" + body_ + "}"; }

private:
    std::string body_;
};

std::string array(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t k = 0; k < items.size(); ++k) out += (k ? "," : "") + items[k];
    return out + "]";
}

std::string error(const std::string& message) {
    return Obj().str("error", message).json();
}

const char* typeName(NumType t) {
    switch (t) {
        case NumType::Integer:
            return "Integer";
        case NumType::Long:
            return "Long";
        case NumType::Single:
            return "Single";
        case NumType::Double:
            return "Double";
    }
    return "?";
}

// ---- The driver ----

class Driver {
public:
    Driver() : form_(&desktop_) {
        // The save dialog is answered by `save`; the menu item alone cancels it.
        form_.setSavePathAsker([this](QWidget*) { return std::exchange(savePath_, QString()); });
        // "Печать…" prints to a PDF file named by `print`; the menu item alone cancels.
        form_.setPrinterAsker([this](QPrinter& printer) {
            const QString path = std::exchange(savePath_, QString());
            if (path.isEmpty()) return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return true;
        });
    }

    // Worker threads (the study's) do not count: they keep no one waiting.
    static double threadCpuSeconds() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }

    void run() {
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line[0] == '#') continue;
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = threadCpuSeconds();
            std::string out = execute(line);
            std::string cmd;
            std::istringstream(line) >> cmd;
            if (cmd != "elapsed") {
                lastElapsed_ =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                lastCpu_ = threadCpuSeconds() - cpuStart;
            }
            if (!out.empty()) {
                std::cout << out << '\n';
                std::cout.flush();
            }
            if (quit_) break;
        }
    }

private:
    void settle() {
        for (int k = 0; k < 3; ++k) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    bool form1Open() const { return started_ && form_.isVisible(); }

    std::string execute(const std::string& line) {
        std::istringstream in(line);
        std::string cmd;
        in >> cmd;
        auto rest = [&]() {
            std::string r;
            std::getline(in, r);
            if (!r.empty() && r[0] == ' ') r.erase(0, 1);
            return r;
        };
        auto needOpen = [&]() -> std::string {
            if (!started_) return error("not started");
            if (!form_.isVisible()) return error("Form1 is closed");
            return {};
        };

        if (cmd == "size") {
            int w, h;
            if (!(in >> w >> h) || w < 0 || h < 0) return error("usage: size W H");
            if (started_) return error("size comes before start; use resize");
            form_.setClientSize(w, h);
            return {};
        }
        if (cmd == "start") {
            if (started_) return error("already started");
            started_ = true;
            form_.startUp();
            settle();
            return {};
        }
        if (cmd == "answer") {
            std::string a;
            in >> a;
            if (a != "yes" && a != "no") return error("usage: answer yes|no");
            desktop_.answerNext(a == "yes" ? Answer::Yes : Answer::No);
            return {};
        }
        if (cmd == "seed") {
            unsigned long long n;
            if (!(in >> n)) return error("usage: seed N");
            form_.random().fixSeed(n);
            return {};
        }
        if (cmd == "dump") return dump();
        if (cmd == "elapsed") return Obj().num("elapsed", lastElapsed_).num("cpu", lastCpu_).json();
        if (cmd == "quit") {
            quit_ = true;
            return {};
        }
        if (cmd == "shot") {
            const std::string file = rest();
            if (file.empty()) return error("usage: shot FILE.png");
            if (!started_) return error("not started");
            if (!form_.grab().save(QString::fromStdString(file))) return error("cannot write " + file);
            return {};
        }

        if (cmd == "select") {
            int n;
            if (!(in >> n)) return error("usage: select N");
            if (auto e = needOpen(); !e.empty()) return e;
            if (n < 0 || n >= form_.List1->count()) return error("no list entry " + std::to_string(n));
            form_.List1->setCurrentRow(n);
            settle();
            return {};
        }
        if (cmd == "scroll") {
            int k, v;
            if (!(in >> k >> v)) return error("usage: scroll K V");
            if (auto e = needOpen(); !e.empty()) return e;
            VScrollBar* bars[] = {form_.VScroll1, form_.VScroll2, form_.VScroll3, form_.VScroll4};
            if (k < 1 || k > 4) return error("no scroll bar VScroll" + std::to_string(k));
            VScrollBar* bar = bars[k - 1];
            if (!bar->inRange(v))
                return error("VScroll" + std::to_string(k) + " cannot reach " + std::to_string(v));
            if (bar->isHidden()) return error("VScroll" + std::to_string(k) + " is hidden");
            bar->setValueFromCode(v);
            settle();
            return {};
        }
        if (cmd == "text") {
            int k;
            if (!(in >> k)) return error("usage: text K STRING");
            const std::string s = rest();
            if (auto e = needOpen(); !e.empty()) return e;
            if (k != 1 && k != 2) return error("no text box Text" + std::to_string(k));
            TextBox* box = k == 1 ? form_.Text1 : form_.Text2;
            if (box->isHidden()) return error("Text" + std::to_string(k) + " is hidden");
            box->setTextFromCode(s);
            settle();
            return {};
        }
        if (cmd == "click") {
            std::string name;
            in >> name;
            if (auto e = needOpen(); !e.empty()) return e;
            Button* b = name == "Command1" ? form_.Command1 : name == "CmdOK" ? form_.CmdOK : nullptr;
            if (!b) return error("cannot click " + name);
            if (b->isHidden()) return error(name + " is hidden");
            b->click();
            settle();
            return {};
        }
        if (cmd == "menu") {
            std::string name;
            in >> name;
            if (auto e = needOpen(); !e.empty()) return e;
            QAction* action = form_.menuItem(QString::fromStdString(name));
            if (!action || action->isSeparator()) return error("no menu item " + name);
            action->trigger();
            settle();
            return {};
        }
        if (cmd == "resize") {
            int w, h;
            if (!(in >> w >> h) || w < 0 || h < 0) return error("usage: resize W H");
            if (auto e = needOpen(); !e.empty()) return e;
            form_.setClientSize(w, h);
            settle();
            return {};
        }
        if (cmd == "move") {
            int l, t;
            if (!(in >> l >> t)) return error("usage: move L T");
            if (auto e = needOpen(); !e.empty()) return e;
            form_.move(l, t);
            settle();
            return {};
        }
        if (cmd == "edit") {
            std::string name;
            in >> name;
            const std::string text = rest();
            if (auto e = needOpen(); !e.empty()) return e;
            Label* label = nullptr;
            for (Label* l : {form_.Label1, form_.Label3, form_.Label4, form_.Label5})
                if (l->objectName().toStdString() == name) label = l;
            if (!label) return error("no value editor on " + name);
            // A double-click on the label, as the user gives it.
            const QPointF at(label->width() / 2.0, label->height() / 2.0);
            QMouseEvent press(QEvent::MouseButtonDblClick, at, label->mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(label, &press);
            settle();
            LimitEditor& editor = form_.limitEditor();
            if (!editor.isOpen()) return error("the editor did not open on " + name);
            QLineEdit* box = editor.box();
            box->insert(QString::fromStdString(text));
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(box, &enter);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(box, &release);
            settle();
            return {};
        }
        if (cmd == "save") {
            const std::string path = rest();
            if (path.empty()) return error("usage: save PATH");
            if (auto e = needOpen(); !e.empty()) return e;
            savePath_ = QString::fromStdString(path);
            form_.menuItem(QStringLiteral("mnuFileSavePicture"))->trigger();
            savePath_.clear();
            settle();
            return {};
        }
        if (cmd == "study") return studyCommand(in);
        if (cmd == "methods") return methodsCommand(in);
        if (cmd == "steps") return stepsCommand(in);
        if (cmd == "savesheet" || cmd == "print") {
            const std::string path = rest();
            if (path.empty()) return error("usage: " + cmd + " PATH");
            if (auto e = needOpen(); !e.empty()) return e;
            if (cmd == "savesheet") {
                form_.saveSheet(QString::fromStdString(path));
            } else {
                savePath_ = QString::fromStdString(path);
                form_.menuItem(QStringLiteral("mnuFilePrint"))->trigger();
                savePath_.clear();
            }
            settle();
            return {};
        }
        if (cmd == "savedata") {
            std::string path = rest();
            const bool russian = path.rfind("ru ", 0) == 0;
            if (russian) path.erase(0, 3);
            if (path.empty()) return error("usage: savedata [ru] PATH");
            if (auto e = needOpen(); !e.empty()) return e;
            form_.saveData(QString::fromStdString(path), russian);
            settle();
            return {};
        }
        if (cmd == "close") {
            if (auto e = needOpen(); !e.empty()) return e;
            form_.close();
            settle();
            return {};
        }
        return error("unknown command: " + cmd);
    }

    std::string studyCommand(std::istringstream& in) {
        std::string sub;
        in >> sub;
        if (sub == "open") {
            if (auto e = needOpenForStudy(); !e.empty()) return e;
            form_.mnuStudyAccuracy_Click();
            settle();
            return {};
        }
        StudyWindow* w = form_.studyWindow();
        if (!w) return error("the study window is not open");
        if (sub == "nmax") {
            long long n;
            if (!(in >> n) || n < 1000 || n > 10'000'000)
                return error("usage: study nmax N (1000..10000000)");
            w->setMaxThrows(n);
            return {};
        }
        if (sub == "runs") {
            int m;
            if (!(in >> m) || m < 10 || m > 10000) return error("usage: study runs M (10..10000)");
            w->setRuns(m);
            return {};
        }
        if (sub == "seed") {
            unsigned long long n;
            if (!(in >> n)) return error("usage: study seed S");
            w->setSeed(n);
            return {};
        }
        if (sub == "run") {
            w->runToEnd();
            settle();
            return {};
        }
        if (sub == "start") {
            w->run();
            settle();
            return {};
        }
        if (sub == "cancel") {
            w->cancel();
            settle();
            return {};
        }
        if (sub == "save") {
            std::string which, file;
            in >> which;
            std::getline(in, file);
            if (!file.empty() && file[0] == ' ') file.erase(0, 1);
            if (file.empty()) return error("usage: study save convergence|histogram FILE");
            if (!w->saveChart(QString::fromStdString(which), QString::fromStdString(file)))
                return error("cannot save " + which + " to " + file);
            return {};
        }
        if (sub == "savedata") {
            std::string page, path;
            in >> page;
            std::getline(in, path);
            if (!path.empty() && path[0] == ' ') path.erase(0, 1);
            const bool russian = path.rfind("ru ", 0) == 0;
            if (russian) path.erase(0, 3);
            const study::CsvStyle style = russian ? study::CsvStyle::russian() : study::CsvStyle{};
            if (path.empty() || (page != "accuracy" && page != "methods"))
                return error("usage: study savedata accuracy|methods [ru] PATH");
            if (page == "accuracy") {
                w->saveData(QString::fromStdString(path), style);
            } else {
                if (!w->methodsPage()) return error("the page \"Методы\" has not been opened (methods open)");
                w->methodsPage()->saveData(QString::fromStdString(path), style);
            }
            settle();
            return {};
        }
        if (sub == "shot") {
            std::string file;
            std::getline(in, file);
            if (!file.empty() && file[0] == ' ') file.erase(0, 1);
            if (file.empty()) return error("usage: study shot FILE.png");
            if (!w->grab().save(QString::fromStdString(file))) return error("cannot write " + file);
            return {};
        }
        return error("unknown study command: " + sub);
    }

    std::string methodsCommand(std::istringstream& in) {
        std::string sub;
        in >> sub;
        if (sub == "open") {
            if (auto e = needOpenForStudy(); !e.empty()) return e;
            form_.mnuStudyMethods_Click();
            settle();
            return {};
        }
        StudyWindow* w = form_.studyWindow();
        if (!w) return error("the study window is not open");
        MethodsPage* page = w->methodsPage();
        if (!page) return error("the page \"Методы\" has not been opened (methods open)");
        long long value;
        const auto number = [&](long long low, long long high) {
            return static_cast<bool>(in >> value) && value >= low && value <= high;
        };
        if (sub == "n") {
            if (!number(10, 10'000'000)) return error("usage: methods n N (10..10000000)");
            page->setN(value);
            return {};
        }
        if (sub == "nmax") {
            if (!number(100, 10'000'000)) return error("usage: methods nmax N (100..10000000)");
            page->setMaxN(value);
            return {};
        }
        if (sub == "runs") {
            if (!number(10, 10'000)) return error("usage: methods runs M (10..10000)");
            page->setRuns(static_cast<int>(value));
            return {};
        }
        if (sub == "perstratum") {
            if (!number(1, 1000)) return error("usage: methods perstratum P (1..1000)");
            page->setPerStratum(static_cast<int>(value));
            return {};
        }
        if (sub == "seed") {
            unsigned long long seed;
            if (!(in >> seed)) return error("usage: methods seed S");
            page->setSeed(seed);
            return {};
        }
        if (sub == "run" || sub == "start") {
            sub == "run" ? page->runToEnd() : page->run();
            settle();
            return {};
        }
        if (sub == "cancel") {
            page->cancel();
            settle();
            return {};
        }
        return error("unknown methods command: " + sub);
    }

    std::string methodsDump(const MethodsPage& page) {
        const study::MethodsResults& r = page.results();
        std::vector<std::string> methods;
        for (const study::MethodResult& m : r.methods)
            methods.push_back(Obj()
                                  .str("name", m.name)
                                  .num("estimate", m.estimate)
                                  .num("error", m.error)
                                  .num("sigma", m.sigma)
                                  .num("standardError", m.standardError)
                                  .boolean("ownError", m.ownError)
                                  .num("factor", m.factor)
                                  .num("cost", m.cost)
                                  .num("efficiency", m.efficiency)
                                  .num("slope", m.slope)
                                  .str("note", m.note)
                                  .boolean("failed", m.failed)
                                  .integer("runsDone", m.runsDone)
                                  .raw("rms", numbers(m.rms))
                                  .json());
        return array(methods);
    }

    std::string stepsCommand(std::istringstream& in) {
        std::string sub;
        in >> sub;
        if (sub == "open") {
            if (auto e = needOpenForStudy(); !e.empty()) return e;
            form_.mnuStudySteps_Click();
            settle();
            return {};
        }
        StepsPanel* p = form_.stepsPanel();
        if (!p) return error("the steps panel is not open");
        if (sub == "seed") {
            unsigned long long n;
            if (!(in >> n)) return error("usage: steps seed S");
            p->setSeed(n);
            p->restart();
        } else if (sub == "add") {
            int k;
            if (!(in >> k) || k < 1) return error("usage: steps add K");
            p->add(k);
        } else if (sub == "reset") {
            p->restart();
        } else if (sub == "speed") {
            int v;
            if (!(in >> v) || v < 1) return error("usage: steps speed V");
            p->setSpeed(v);
        } else if (sub == "play") {
            int ms;
            if (!(in >> ms) || ms < 0) return error("usage: steps play MS");
            p->play();
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            p->pause();
        } else if (sub == "shot") {
            std::string file;
            std::getline(in, file);
            if (!file.empty() && file[0] == ' ') file.erase(0, 1);
            if (file.empty()) return error("usage: steps shot FILE.png");
            if (!p->grab().save(QString::fromStdString(file))) return error("cannot write " + file);
        } else if (sub == "close") {
            p->close();
        } else {
            return error("unknown steps command: " + sub);
        }
        settle();
        return {};
    }

    std::string stepsDump() {
        StepsPanel* p = form_.stepsPanel();
        Obj o;
        o.boolean("open", p && p->isVisible());
        if (!p) return o.json();
        const ThrowSteps& s = p->steps();
        o.integer("n", s.throws()).integer("plus", s.plus()).integer("minus", s.minus());
        if (const auto e = s.estimate())
            o.num("estimate", *e);
        else
            o.raw("estimate", "null");
        o.boolean("stale", p->stale())
            .boolean("playing", p->playing())
            .num("longestStepMs", p->longestStepMs());
        return o.json();
    }

    std::string needOpenForStudy() const {
        if (!started_) return error("not started");
        if (!form_.isVisible()) return error("Form1 is closed");
        return {};
    }

    static std::string numbers(const std::vector<double>& v) {
        std::vector<std::string> items;
        for (double d : v) items.push_back(number(d));
        return array(items);
    }
    template <class I>
    static std::string integers(const std::vector<I>& v) {
        std::vector<std::string> items;
        for (I k : v) items.push_back(std::to_string(k));
        return array(items);
    }

    std::string studyDump() {
        StudyWindow* w = form_.studyWindow();
        Obj o;
        o.boolean("open", w && w->isVisible());
        if (!w) return o.json();
        const study::StudyResults& r = w->results();
        o.boolean("outOfDate", w->outOfDate());
        o.boolean("running", w->running()).boolean("finished", r.finished).boolean("cancelled", r.cancelled);
        o.boolean("failed", r.failure.has_value()).str("failure", r.failure ? r.failure->explanation() : "");
        o.str("status", w->statusLabel()->text().toStdString());
        o.integer("seed", static_cast<long long>(w->seed()))
            .integer("nmax", w->maxThrows())
            .integer("runs", w->runs());
        if (r.hasReference) {
            o.num("reference", r.reference.value).num("referenceError", r.reference.error);
        } else {
            o.raw("reference", "null").raw("referenceError", "null");
        }
        o.boolean("referenceReliable", r.hasReference && r.reference.reliable());
        o.str("referenceKind", r.hasReference ? study::referenceKindKey(r.reference.kind) : "");
        o.str("referenceVerdict", r.reference.verdict);
        const study::Summary& s = r.summary;
        o.raw("summary", Obj()
                             .num("reference", s.reference)
                             .num("monteCarlo", s.monteCarlo)
                             .num("monteCarloError", s.monteCarloError)
                             .num("trapezoid", s.trapezoid)
                             .num("trapezoidError", s.trapezoidError)
                             .num("trapezoidOwn", s.trapezoidOwn)
                             .num("trapezoidOwnError", s.trapezoidOwnError)
                             .boolean("trapezoidRoundingOnly", s.trapezoidRoundingOnly)
                             .num("area", s.area)
                             .num("blueShare", s.blueShare)
                             .num("observedShare", s.observedShare)
                             .num("meanShare", s.meanShare)
                             .integer("throws", s.throws)
                             .num("sigma", s.sigma)
                             .num("runSigma", s.runSigma)
                             .str("sigmaFormula", s.sigmaFormula)
                             .boolean("exact", s.exact)
                             .num("intervalLow", s.intervalLow)
                             .num("intervalHigh", s.intervalHigh)
                             .boolean("mainCurrent", s.mainCurrent)
                             .str("mainStaleReason", s.mainStaleReason)
                             .json());
        if (s.clipped) o.num("clippedIntegral", s.clippedIntegral).num("clippedBias", s.clippedBias);
        const study::Convergence& c = r.convergence;
        o.raw("convergence", Obj()
                                 .raw("n", integers(c.n))
                                 .raw("hitOrMiss", numbers(c.hitOrMiss))
                                 .raw("meanValue", numbers(c.meanValue))
                                 .raw("rmsHitOrMiss", numbers(c.rmsHitOrMiss))
                                 .raw("rmsMeanValue", numbers(c.rmsMeanValue))
                                 .integer("rmsRuns", c.rmsRuns)
                                 .raw("hitOrMissSigma", numbers(c.hitOrMissSigma))
                                 .raw("meanValueSigma", numbers(c.meanValueSigma))
                                 .raw("trapezoidN", integers(c.trapezoidN))
                                 .raw("trapezoidError", numbers(c.trapezoidError))
                                 .num("trapezoidSlope", c.trapezoidSlope)
                                 .str("trapezoidNote", c.trapezoidNote)
                                 .json());
        o.raw("histogram", Obj()
                               .raw("edges", numbers(r.histogram.edges))
                               .raw("counts", integers(r.histogram.counts))
                               .num("center", r.histogram.center)
                               .num("reference", r.histogram.reference)
                               .num("gridStep", r.histogram.gridStep)
                               .json());
        const QSize minimum = w->contentMinimumSize();
        o.raw("minimumSize", array({std::to_string(minimum.width()), std::to_string(minimum.height())}));
        o.raw("geometry", rect(w->frameGeometry()));
        o.num("coverage", r.coverage).integer("runsDone", r.runsDone).num("meanEstimate", r.meanEstimate);
        if (!w->methodsPage()) return o.raw("methods", "[]").json();
        MethodsPage& page = *w->methodsPage();
        o.raw("methods", methodsDump(page));
        o.raw("methodsPage", Obj()
                                 .boolean("running", page.running())
                                 .boolean("finished", page.results().finished)
                                 .boolean("cancelled", page.results().cancelled)
                                 .boolean("outOfDate", page.outOfDate())
                                 .str("status", page.statusLabel()->text().toStdString())
                                 .integer("n", page.n())
                                 .integer("nmax", page.maxN())
                                 .integer("runs", page.runs())
                                 .integer("chartRuns", page.chartRuns())
                                 .integer("perStratum", page.perStratum())
                                 .integer("seed", static_cast<long long>(page.seed()))
                                 .num("reference", page.reference().value)
                                 .boolean("referenceReused", page.referenceReused())
                                 .raw("chartN", integers(page.results().chartN))
                                 .json());
        return o.json();
    }

    std::string geometry(const Placement& p) const {
        return array({number(p.Left()), number(p.Top()), number(p.Width()), number(p.Height())});
    }

    template <class W>
    Obj control(const W* w) const {
        Obj o;
        o.boolean("visible", !w->isHidden());
        o.raw("geometry", geometry(*w));
        const QRect r = w->geometry();
        o.raw("pixels", array({std::to_string(r.x()), std::to_string(r.y()), std::to_string(r.width()),
                               std::to_string(r.height())}));
        o.str("toolTip", w->toolTip().toStdString());
        return o;
    }

    static std::string rect(const QRect& r) {
        return array({std::to_string(r.x()), std::to_string(r.y()), std::to_string(r.width()),
                      std::to_string(r.height())});
    }

    std::string dump() {
        Obj controls;
        for (Label* l : {form_.Label1, form_.Label2, form_.Label3, form_.Label4, form_.Label5, form_.Label6})
            controls.raw(l->objectName().toStdString(), control(l).str("caption", l->Caption()).json());
        for (TextBox* t : {form_.Text1, form_.Text2})
            controls.raw(t->objectName().toStdString(),
                         control(t)
                             .str("text", t->Text())
                             // The selected stretch: start and length in characters.
                             .raw("selection", array({std::to_string(t->selectionStart()),
                                                      std::to_string(t->selectedText().size())}))
                             .json());
        controls.raw("Command1", control(form_.Command1)
                                     .str("caption", form_.Command1->Caption())
                                     .integer("backColor", form_.Command1->BackColor())
                                     .json());
        controls.raw("CmdOK", control(form_.CmdOK).str("caption", form_.CmdOK->Caption()).json());
        for (VScrollBar* b : {form_.VScroll1, form_.VScroll2, form_.VScroll3, form_.VScroll4})
            controls.raw(b->objectName().toStdString(), control(b).integer("value", b->Value()).json());
        {
            std::vector<std::string> items;
            for (int k = 0; k < form_.List1->count(); ++k)
                items.push_back(quote(form_.List1->item(k)->text().toStdString()));
            controls.raw("List1", control(form_.List1)
                                      .integer("index", form_.List1->ListIndex())
                                      .str("text", form_.List1->Text())
                                      .raw("items", array(items))
                                      .json());
        }
        controls.raw("Image1",
                     control(form_.Image1).boolean("hasPicture", form_.Image1->hasPicture()).json());
        controls.raw("Picture1", control(form_.Picture1).json());

        Obj form;
        form.str("caption", form_.windowTitle().toStdString());
        form.raw("client", array({std::to_string(form_.ScaleWidth()), std::to_string(form_.ScaleHeight())}));
        form.raw("frame", rect(form_.frameGeometry()));
        if (QScreen* screen = form_.screen()) form.raw("screen", rect(screen->geometry()));
        QWidget* focus = form_.focusWidget();
        form.str("focus", focus ? focus->objectName().toStdString() : "");

        const CalcState& s = form_.state();
        Obj state;
        state.num("a", s.a).num("b", s.b).num("n", s.n).num("h", s.h).num("i", s.i).num("x", s.x).num("y",
                                                                                                      s.y);
        state.integer("nfun", s.nfun).integer("nbros", s.nbros).num("mashtab", s.mashtab);
        if (s.Res)
            state.raw(
                "Res",
                Obj().integer("pInt", s.Res->pInt).integer("pLong", s.Res->pLong).num("p", s.Res->p).json());
        else
            state.raw("Res", "null");
        state.str("kod", s.kod).num("zagruzka", s.zagruzka);
        state.num("ymin", s.ymin).num("ymax", s.ymax).num("hx", s.hx).num("hy", s.hy).num("xc", s.xc);
        state.num("yc", s.yc).num("x1", s.x1).num("x2", s.x2).num("y1", s.y1).num("y2", s.y2).num("yr", s.yr);
        state.num("nplus", s.nplus).num("nminus", s.nminus).num("ikarlo", s.ikarlo).num("itrap", s.itrap);
        state.num("htrap", s.htrap).num("yleft", s.yleft).num("yright", s.yright);
        state.str("yType", typeName(s.y.type()));

        PlotCommands& engine = form_.engine();
        const int plots = engine.plotRuns() - lastPlots_;
        lastPlots_ = engine.plotRuns();

        RasterCanvas& canvas = form_.canvas();
        std::vector<std::string> texts;
        for (const auto& t : canvas.texts())
            texts.push_back(array({number(t.x), number(t.y), quote(t.text)}));
        const auto sc = canvas.scale();
        Obj canvasObj;
        canvasObj.raw("scale", array({number(sc[0]), number(sc[1]), number(sc[2]), number(sc[3])}));
        canvasObj.integer("drawWidth", canvas.drawWidth());
        canvasObj.raw("texts", array(texts));
        canvasObj.integer("blue", engine.blueThrows()).integer("red", engine.redThrows());
        canvasObj.integer("undefined", engine.undefinedPoints());

        // Messages and launches are written as the desktop calls they stand
        // for: a message box with OK (buttons 0) or Yes and No (4); a document
        // opened with the verb "open" and shown normally (1); the instruction
        // opened by Notepad in a window that does not take the focus (4).
        std::vector<std::string> messages;
        for (size_t k = lastMessage_; k < desktop_.shown.size(); ++k) {
            const auto& m = desktop_.shown[k];
            // The buttons the real box shows for this kind of message.
            std::vector<std::string> buttonTexts;
            for (const QString& t : messageBoxButtonTexts(m.question))
                buttonTexts.push_back(quote(t.toStdString()));
            messages.push_back(Obj()
                                   .str("title", m.title)
                                   .str("text", m.text)
                                   .integer("buttons", m.question ? 4 : 0)
                                   .raw("buttonTexts", array(buttonTexts))
                                   .json());
        }
        lastMessage_ = desktop_.shown.size();

        std::vector<std::string> launched;
        for (size_t k = lastLaunch_; k < desktop_.launched.size(); ++k) {
            const auto& r = desktop_.launched[k];
            Obj o;
            if (!r.editor)
                o.str("kind", "open")
                    .integer("owner", 0)
                    .str("verb", "open")
                    .str("file", r.file)
                    .str("parameters", "")
                    .str("directory", "")
                    .integer("show", 1);
            else
                o.str("kind", "program").str("commandLine", "notepad.exe " + r.file).integer("style", 4);
            launched.push_back(o.json());
        }
        lastLaunch_ = desktop_.launched.size();

        std::vector<std::string> windows;
        if (form_.isVisible()) windows.push_back(quote("Form1"));
        Form2* f2 = form_.authorsWindow();
        const bool form2Open = f2 && f2->isVisible();
        if (form2Open) windows.push_back(quote("Form2"));

        Obj root;
        root.raw("controls", controls.json());
        root.raw("form", form.json());
        if (form2Open)
            root.raw("form2",
                     Obj()
                         .str("caption", f2->windowTitle().toStdString())
                         .raw("frame", rect(f2->frameGeometry()))
                         .raw("client", array({std::to_string(f2->width()), std::to_string(f2->height())}))
                         .str("label1", f2->Label1->Caption())
                         .boolean("hasPicture", f2->hasPicture())
                         .raw("label1Text", rect(f2->creditsTextRect()))
                         .json());
        root.raw("state", state.json());
        root.integer("plots", plots);
        {
            // The hints of the last plot run or Monte Carlo command.
            std::vector<std::string> hints;
            for (const std::string& h : engine.explanation().hints) hints.push_back(quote(h));
            root.raw("hints", array(hints));
        }
        root.raw("canvas", canvasObj.json());
        root.raw("messages", array(messages));
        root.raw("launched", array(launched));
        LimitEditor& editor = form_.limitEditor();
        root.raw("editor",
                 Obj()
                     .boolean("open", editor.isOpen())
                     .str("label", editor.isOpen() ? editor.openLabel()->objectName().toStdString() : "")
                     .str("text", editor.isOpen() ? editor.box()->text().toStdString() : "")
                     .str("explanation", editor.explanation().toStdString())
                     .json());
        root.raw("windows", array(windows));
        root.boolean("alive", !windows.empty());
        root.raw("study", studyDump());
        root.raw("steps", stepsDump());
        return root.json();
    }

    testing::RecordingDesktop desktop_;
    Form1 form_;
    bool started_ = false;
    bool quit_ = false;
    QString savePath_;
    double lastElapsed_ = 0;
    double lastCpu_ = 0;
    int lastPlots_ = 0;
    size_t lastMessage_ = 0, lastLaunch_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installRussianTranslation(app);
    // The driver decides itself when to end; a closed window only shows in `alive`.
    QApplication::setQuitOnLastWindowClosed(false);
    Driver driver;
    driver.run();
    return 0;
}
