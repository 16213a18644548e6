#include "tools/formulapics/pictures.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace mcplot::pictures {
namespace {

const char *const kSerif = "Liberation Serif";

QFont serif(double px, bool italic = false, bool bold = false) {
    QFont f(QString::fromLatin1(kSerif));
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(px))));
    f.setItalic(italic);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

// A tiny box layout for formulas, after the way printed mathematics is set:
// every box has a width, a height above its baseline and a depth below it.
struct Box {
    virtual ~Box() = default;
    virtual void layout(double px) = 0;
    virtual void draw(QPainter &p, double x, double base) const = 0;
    double w = 0, asc = 0, desc = 0;
};
using BoxP = std::shared_ptr<Box>;

// Height of the fraction bar and the minus sign above the baseline.
double mathAxis(double px) {
    return 0.25 * px;
}
double ruleWidth(double px) {
    return std::max(1.3, 0.05 * px);
}

struct Text : Box {
    Text(QString s, bool italic, double padding) : s(std::move(s)), italic(italic), pad(padding) {}
    void layout(double px) override {
        font = serif(px, italic);
        QFontMetricsF fm(font);
        const QRectF r = fm.tightBoundingRect(s);
        padPx = pad * px;
        // Italic letters lean out of their advance; give them a little room.
        w = fm.horizontalAdvance(s) + 2 * padPx + (italic ? 0.06 * px : 0.0);
        asc = std::max(-r.top(), fm.xHeight());
        desc = std::max(r.bottom(), 0.0);
    }
    void draw(QPainter &p, double x, double base) const override {
        p.setFont(font);
        p.drawText(QPointF(x + padPx, base), s);
    }
    QString s;
    bool italic;
    double pad;
    double padPx = 0;
    QFont font;
};

struct Space : Box {
    explicit Space(double em) : em(em) {}
    void layout(double px) override { w = em * px; }
    void draw(QPainter &, double, double) const override {}
    double em;
};

struct Row : Box {
    explicit Row(std::vector<BoxP> items) : items(std::move(items)) {}
    void layout(double px) override {
        w = asc = desc = 0;
        for (auto &b : items) {
            b->layout(px);
            w += b->w;
            asc = std::max(asc, b->asc);
            desc = std::max(desc, b->desc);
        }
    }
    void draw(QPainter &p, double x, double base) const override {
        for (auto &b : items) {
            b->draw(p, x, base);
            x += b->w;
        }
    }
    std::vector<BoxP> items;
};

struct Sup : Box {
    Sup(BoxP base, BoxP exp) : base(std::move(base)), exp(std::move(exp)) {}
    void layout(double px) override {
        base->layout(px);
        exp->layout(0.62 * px);
        shift = std::max({0.38 * px, base->asc - 0.5 * exp->asc, exp->desc + 0.22 * px});
        w = base->w + exp->w + 0.04 * px;
        asc = std::max(base->asc, shift + exp->asc);
        desc = std::max(base->desc, exp->desc - shift);
    }
    void draw(QPainter &p, double x, double b) const override {
        base->draw(p, x, b);
        exp->draw(p, x + base->w, b - shift);
    }
    BoxP base, exp;
    double shift = 0;
};

struct Frac : Box {
    Frac(BoxP num, BoxP den, double scale) : num(std::move(num)), den(std::move(den)), scale(scale) {}
    void layout(double px) override {
        num->layout(scale * px);
        den->layout(scale * px);
        axis = mathAxis(px);
        rule = ruleWidth(px);
        gap = 0.13 * px;
        pad = 0.12 * px;
        w = std::max(num->w, den->w) + 2 * pad;
        asc = axis + rule / 2 + gap + num->desc + num->asc;
        desc = den->asc + den->desc + gap + rule / 2 - axis;
    }
    void draw(QPainter &p, double x, double base) const override {
        const double bar = base - axis;
        num->draw(p, x + (w - num->w) / 2, bar - rule / 2 - gap - num->desc);
        den->draw(p, x + (w - den->w) / 2, bar + rule / 2 + gap + den->asc);
        p.fillRect(QRectF(x + 0.4 * pad, bar - rule / 2, w - 0.8 * pad, rule), p.pen().color());
    }
    BoxP num, den;
    double scale;
    double axis = 0, rule = 0, gap = 0, pad = 0;
};

struct Sqrt : Box {
    explicit Sqrt(BoxP body) : body(std::move(body)) {}
    void layout(double px) override {
        body->layout(px);
        rule = ruleWidth(px);
        gap = 0.12 * px;
        sign = 0.5 * px;
        w = sign + body->w + 0.08 * px;
        asc = body->asc + gap + rule;
        desc = body->desc + 0.06 * px;
    }
    void draw(QPainter &p, double x, double base) const override {
        const double top = base - body->asc - gap - rule / 2;
        const double bottom = base + desc;
        const double mid = bottom - 0.45 * (bottom - top);
        QPainterPath path;
        path.moveTo(x + 0.04 * sign, mid + 0.06 * sign);
        path.lineTo(x + 0.22 * sign, mid - 0.04 * sign);
        path.lineTo(x + 0.5 * sign, bottom);
        path.lineTo(x + 0.92 * sign, top);
        path.lineTo(x + w, top);
        QPen pen(p.pen().color(), rule, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        p.save();
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.restore();
        body->draw(p, x + sign, base);
    }
    BoxP body;
    double rule = 0, gap = 0, sign = 0;
};

// Builders, so the formulas below read almost like the formulas themselves.
BoxP var(const char *s) {
    return std::make_shared<Text>(QString::fromUtf8(s), true, 0.0);
}
BoxP txt(const char *s) {
    return std::make_shared<Text>(QString::fromUtf8(s), false, 0.0);
}
BoxP op(const char *s) {
    return std::make_shared<Text>(QString::fromUtf8(s), false, 0.22);
}
BoxP dot() {
    return std::make_shared<Text>(QString::fromUtf8("·"), false, 0.12);
}
BoxP gap(double em) {
    return std::make_shared<Space>(em);
}
BoxP row(std::vector<BoxP> items) {
    return std::make_shared<Row>(std::move(items));
}
BoxP sup(BoxP base, BoxP exp) {
    return std::make_shared<Sup>(std::move(base), std::move(exp));
}
BoxP frac(BoxP num, BoxP den, double scale = 1.0) {
    return std::make_shared<Frac>(std::move(num), std::move(den), scale);
}
BoxP sqrtOf(BoxP body) {
    return std::make_shared<Sqrt>(std::move(body));
}

BoxP x() {
    return var("x");
}
BoxP xPow(const char *n) {
    return sup(x(), txt(n));
}
// e to the power −x², as the Gauss and Maxwell formulas use it.
BoxP gaussExp() {
    return sup(txt("e"), row({txt("−"), xPow("2")}));
}

BoxP lhs(BoxP rhs) {
    return row({var("f"), txt("("), x(), txt(")"), op("="), std::move(rhs)});
}

struct Formula {
    const char *name;
    const char *caption;
    std::function<BoxP()> build;
};

const std::vector<Formula> &formulas() {
    static const std::vector<Formula> list = {
        {"linein", "линейная функция", [] { return lhs(x()); }},
        {"parabola", "парабола", [] { return lhs(xPow("2")); }},
        {"sinus", "синус, x в радианах",
         [] {
             return lhs(row({txt("sin"), gap(0.17), x()}));
         }},
        {"cos", "косинус, x в радианах",
         [] {
             return lhs(row({txt("cos"), gap(0.17), x()}));
         }},
        {"gauss", "кривая Гаусса", [] { return lhs(gaussExp()); }},
        {"maxwell", "распределение Максвелла по скоростям",
         [] {
             return lhs(row({frac(txt("4"), sqrtOf(txt("3,14"))), dot(), gaussExp(), dot(), xPow("2")}));
         }},
        {"plank_1", "закон Планка по частотам, x = hν / kT",
         [] {
             return lhs(frac(xPow("3"), row({sup(txt("e"), x()), op("−"), txt("1")})));
         }},
        {"plank_2", "закон Планка по длинам волн, x = λkT / hc",
         [] {
             BoxP inner = frac(txt("1"), xPow("5"), 0.75);
             BoxP expo = sup(txt("e"), row({txt("1"), txt("/"), x()}));
             return lhs(frac(inner, row({expo, op("−"), txt("1")})));
         }},
        {"vdv", "изотерма Ван дер Ваальса, T — приведённая температура",
         [] {
             return lhs(row({frac(row({txt("8"), var("T")}), row({txt("3"), x(), op("−"), txt("1")})),
                             op("−"), frac(txt("3"), xPow("2"))}));
         }},
    };
    return list;
}

QImage whiteImage(QSize size, QImage::Format format = QImage::Format_RGB32) {
    QImage img(size, format);
    img.fill(Qt::white);
    return img;
}

// Points of a throw pattern that looks random but is the same every time the
// pictures are remade, so regenerated files do not differ without reason.
std::vector<QPointF> throwPattern(int count, std::uint32_t seed) {
    std::vector<QPointF> pts;
    std::uint32_t s = seed;
    auto next = [&s] {
        s = s * 1664525u + 1013904223u;
        return static_cast<double>(s >> 8) / static_cast<double>(1u << 24);
    };
    for (int i = 0; i < count; ++i) {
        const double u = next();
        pts.emplace_back(u, next());
    }
    return pts;
}

// A small plot in the unit square: the curve, the throws and the axes, drawn
// into rect. Used by both the icon and the Authors emblem.
void drawPlot(QPainter &p, const QRectF &rect, int throws, double dotSize, double lineWidth) {
    auto curve = [](double u) { return 0.12 + 0.7 * std::exp(-std::pow((u - 0.45) / 0.22, 2.0)); };
    auto at = [&rect](double u, double v) {
        return QPointF(rect.left() + u * rect.width(), rect.bottom() - v * rect.height());
    };
    for (const QPointF &t : throwPattern(throws, 20240601u)) {
        const double v = t.y() * 0.95;
        p.fillRect(QRectF(at(t.x(), v) - QPointF(dotSize / 2, dotSize / 2), QSizeF(dotSize, dotSize)),
                   v <= curve(t.x()) ? QColor(0, 0, 255) : QColor(255, 0, 0));
    }
    QPainterPath path;
    for (int i = 0; i <= 60; ++i) {
        const double u = i / 60.0;
        if (i == 0)
            path.moveTo(at(u, curve(u)));
        else
            path.lineTo(at(u, curve(u)));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(QColor(40, 40, 40), std::max(1.0, lineWidth * 0.7)));
    p.drawLine(at(0, 0), at(1, 0));
    p.drawLine(at(0, 0), at(0, 1));
}

}  // namespace

QStringList formulaNames() {
    QStringList names;
    for (const Formula &f : formulas()) names << QString::fromLatin1(f.name);
    return names;
}

QImage renderFormula(const QString &name, QSize size) {
    const auto &list = formulas();
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const Formula &f) { return name == QLatin1String(f.name); });
    if (it == list.end()) return {};

    QImage img = whiteImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const double captionPx = 0.13 * size.height();
    const QFont captionFont = serif(captionPx, true);
    const double captionH = QFontMetricsF(captionFont).height();
    const double margin = 0.05 * size.height();
    const double availW = size.width() - 2 * margin;
    // Keep a clear strip between the formula and its caption.
    const double availH = size.height() - captionH - 2 * margin - 0.05 * size.height();

    BoxP f = it->build();
    double px = 0.32 * size.height();
    f->layout(px);
    const double fit = std::min({1.0, availW / f->w, availH / (f->asc + f->desc)});
    if (fit < 1.0) {
        px *= fit;
        f->layout(px);
    }

    p.setPen(Qt::black);
    const double base = margin + (availH - (f->asc + f->desc)) / 2 + f->asc;
    f->draw(p, (size.width() - f->w) / 2, base);

    p.setPen(QColor(70, 70, 70));
    p.setFont(captionFont);
    p.drawText(QRectF(margin, size.height() - margin - captionH, availW, captionH), Qt::AlignCenter,
               QString::fromUtf8(it->caption));
    return img;
}

QImage renderIcon(int side) {
    QImage img = whiteImage(QSize(side, side), QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = side / 32.0;
    p.setPen(QPen(QColor(60, 60, 60), s));
    p.setBrush(QColor(255, 255, 240));
    p.drawRoundedRect(QRectF(0.5 * s, 0.5 * s, side - s, side - s), 3 * s, 3 * s);
    drawPlot(p, QRectF(4 * s, 4 * s, 25 * s, 23 * s), 70, 2 * s, 1.6 * s);
    return img;
}

QImage renderAuthors(QSize size) {
    QImage img = whiteImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double w = size.width(), h = size.height();

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(214, 230, 250));
    sky.setColorAt(1, QColor(250, 252, 255));
    p.fillRect(img.rect(), sky);

    p.setPen(QColor(20, 40, 90));
    p.setFont(serif(0.12 * h, false, true));
    p.drawText(QRectF(0, 0.03 * h, w, 0.15 * h), Qt::AlignCenter, QString::fromUtf8("МК-Графики"));

    const QRectF frame(0.1 * w, 0.2 * h, 0.8 * w, 0.52 * h);
    p.setPen(QPen(QColor(20, 40, 90), 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(frame, 6, 6);
    drawPlot(p, frame.adjusted(8, 8, -8, -8), 220, 2.2, 2.0);

    p.setPen(QColor(20, 40, 90));
    p.setFont(serif(0.075 * h, true));
    p.drawText(QRectF(0, 0.75 * h, w, 0.1 * h), Qt::AlignCenter, QString::fromUtf8("метод Монте-Карло"));
    p.setFont(serif(0.07 * h));
    p.drawText(QRectF(0, 0.86 * h, w, 0.1 * h), Qt::AlignCenter, QString::fromUtf8("команда проекта"));
    return img;
}

}  // namespace mcplot::pictures
