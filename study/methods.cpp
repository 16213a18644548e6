#include "study/methods.h"

#include <time.h>

#include <algorithm>
#include <boost/random/sobol.hpp>
#include <cmath>
#include <cstdio>

#include "core/monte_carlo.h"
#include "study/random_stream.h"

namespace mcplot::study {

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr int scanIntervals = 100;
constexpr int guideCells = 256;
// How often a run looks at the cancel flag: well under 100 ms even for a slow
// user expression.
constexpr int64_t cancelStride = 64;
// Method streams stay clear of the accuracy study's.
constexpr uint64_t firstMethodStream = 16;
// 2⁶⁴/φ: adding it modulo 2⁶⁴ steps frac(k·φ) in 64-bit fixed point, with no
// rounding that grows with k.
constexpr uint64_t goldenStep = 0x9E3779B97F4A7C15ull;

const std::array<MethodInfo, methodCount> infos = {{
    {Method::HitOrMiss, "hitOrMiss", "Метод «попал — не попал»",
     "Точки бросаются равномерно в прямоугольник [a; b] × [ymin; ymax] площади S; из попавших между осью и "
     "графиком (синих) N₊ лежат над осью, N₋ — под ней. Если график выходит за прямоугольник, метод находит "
     "интеграл функции, обрезанной его краями.",
     "I ≈ S·(N₊ − N₋)/N"},
    {Method::MeanValue, "meanValue", "Метод среднего значения",
     "Точки xᵢ выбираются равномерно на [a; b], и интеграл оценивается как длина отрезка, умноженная на "
     "среднее "
     "значение f в этих точках. С этим методом сравниваются остальные.",
     "I ≈ (b − a)·(f(x₁) + … + f(x_N))/N"},
    {Method::Stratified, "stratified", "Стратифицированная выборка",
     "Отрезок [a; b] делится на k равных частей (страт) длины h = (b − a)/k, в каждой берутся P случайных "
     "точек "
     "(N = k·P; если N не делится на P, в части страт на одну точку больше), и средние по стратам, "
     "умноженные на "
     "h, складываются. Случайность остаётся только внутри коротких страт, поэтому для гладкой f при "
     "постоянном P "
     "ошибка убывает как N^(−3/2), а не как N^(−1/2).",
     "I ≈ h·Σⱼ (1/P)·Σᵢ f(a + (j − 1 + uⱼᵢ)·h),  j = 1…k,  i = 1…P,  uⱼᵢ равномерны на [0; 1)"},
    {Method::Antithetic, "antithetic", "Антитетические переменные",
     "Точки берутся парами: x и симметричная ей a + b − x, так что N вычислений f — это N/2 пар (при "
     "нечётном N "
     "ещё одна точка без пары). Если f монотонна, значения в паре отрицательно "
     "коррелированы, и их ошибки частично гасят друг друга.",
     "I ≈ (b − a)·(1/N)·Σᵢ (f(xᵢ) + f(a + b − xᵢ)),  i = 1…N/2"},
    {Method::Importance, "importance", "Выборка по значимости",
     "Точки выбираются чаще там, где |f| больше: на каждом из 100 отрезков между точками просмотра f "
     "плотность "
     "p(x) постоянна и пропорциональна mᵢ + 0,01·m̄ (mᵢ — среднее |f| на концах отрезка, m̄ — среднее всех "
     "mᵢ), а "
     "каждое значение f делится на p(x). Оценка несмещённая при любой такой плотности; 101 вычисление f для "
     "её "
     "построения в N не входит.",
     "I ≈ (1/N)·Σ f(xᵢ)/p(xᵢ),  xᵢ распределены с плотностью p"},
    {Method::ControlVariate, "controlVariate", "Контрольная функция",
     "g — ломаная через 101 точку просмотра f; её интеграл ∫g известен точно (формула трапеций по этим "
     "точкам), "
     "а случайными точками оценивается только малая разность f − g. 101 вычисление f для g в N не входит.",
     "I ≈ ∫ₐᵇ g dx + (b − a)·(1/N)·Σ (f(xᵢ) − g(xᵢ))"},
    {Method::Sobol, "sobol", "Последовательность Соболя",
     "Вместо случайных берутся квазислучайные точки vₖ, заполняющие отрезок равномернее случайных (в одном "
     "измерении — двоичная последовательность ван дер Корпута в порядке кода Грея), все сдвинутые на одно "
     "случайное u по модулю 1 (сдвиг Кранли — Паттерсона). Оценка несмещённая, её погрешность видна только "
     "по "
     "разбросу M опытов и для гладкой f убывает примерно как 1/N.",
     "I ≈ (b − a)·(1/N)·Σₖ f(a + (b − a)·{vₖ + u}),  k = 1…N,  {·} — дробная часть"},
    {Method::Weyl, "weyl", "Последовательность Вейля",
     "Точки {u + k·φ}, где φ = (1 + √5)/2 — золотое сечение, {·} — дробная часть, u — случайный сдвиг: "
     "промежутки между соседними точками принимают не больше трёх разных длин (теорема о трёх длинах), "
     "поэтому "
     "точки ложатся почти равномерно. Оценка несмещённая, её погрешность видна только по разбросу M опытов и "
     "для "
     "гладкой f убывает примерно как 1/N.",
     "I ≈ (b − a)·(1/N)·Σₖ f(a + (b − a)·{u + k·φ}),  k = 1…N"},
}};

// Mean and variance of values shifted by the first one, so that a large mean
// against a small spread costs no digits.
struct Moments {
    int64_t n = 0;
    double shift = 0, sum = 0, sumSquares = 0;
    void add(double v) {
        if (n == 0) shift = v;
        const double d = v - shift;
        ++n;
        sum += d;
        sumSquares += d * d;
    }
    double mean() const { return shift + sum / static_cast<double>(n); }
    double variance() const {
        if (n < 2) return nan;
        const double nd = static_cast<double>(n), m = sum / nd;
        return std::max(0.0, (sumSquares - nd * m * m) / (nd - 1));
    }
};

double unitOf(uint64_t bits) {
    return static_cast<double>(bits >> 11) * 0x1.0p-53;
}

std::string decimal(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", v);
    std::string s = text;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

// One run's evaluations of f: the cancel flag every cancelStride points, a
// failure explained, a value that is not finite taken as 0.
class Evaluations {
public:
    Evaluations(Integrand& f, const std::atomic<bool>* cancel, MethodRun& run)
        : f_(f), cancel_(cancel), run_(run) {}

    bool at(double x, double& y) {
        if (count_++ % cancelStride == 0 && cancelled()) {
            run_.status = MethodRun::Cancelled;
            return false;
        }
        const EvaluationResult v = f_.at(x);
        if (!v) {
            if (cancelled()) {
                run_.status = MethodRun::Cancelled;
            } else {
                run_.status = MethodRun::Failed;
                run_.failure = v.failure();
            }
            return false;
        }
        y = *v;
        if (!std::isfinite(y)) ++run_.missingValues;
        return true;
    }
    bool value(double x, double& y) {
        if (!at(x, y)) return false;
        if (!std::isfinite(y)) y = 0;
        return true;
    }

private:
    bool cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

    Integrand& f_;
    const std::atomic<bool>* cancel_;
    MethodRun& run_;
    int64_t count_ = 0;
};

// Plain sampling at a + (b − a)·uₖ for the points uₖ in [0, 1) that next()
// gives: the estimate without a standard error of its own.
template <class Next>
void plainMean(Evaluations& eval, const Box& box, int64_t n, MethodRun& run, Next next) {
    double sum = 0;
    for (int64_t k = 0; k < n; ++k) {
        double y;
        if (!eval.value(box.a + box.width() * next(), y)) return;
        sum += y;
    }
    run.value = box.width() * sum / static_cast<double>(n);
}

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

}  // namespace

const std::array<MethodInfo, methodCount>& methodInfos() {
    return infos;
}

const MethodInfo& methodInfo(Method method) {
    return infos[static_cast<size_t>(method)];
}

std::optional<Method> methodByName(const std::string& name) {
    for (const MethodInfo& info : infos)
        if (name == info.name) return info.method;
    return std::nullopt;
}

Outcome<MethodScan> scanForMethods(Integrand& f, double a, double b, const std::atomic<bool>* cancel) {
    Outcome<MethodScan> outcome;
    MethodScan& scan = outcome.result;
    scan.a = a;
    scan.b = b;
    const double h = (b - a) / scanIntervals;
    std::vector<double> y(scanIntervals + 1);
    for (int i = 0; i <= scanIntervals; ++i) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return {.cancelled = true};
        const EvaluationResult v = f.at(a + i * h);
        if (!v) {
            // A stop by the cancel flag is not a failure of f.
            if (cancel && cancel->load()) return {.cancelled = true};
            return {.failure = v.failure()};
        }
        y[static_cast<size_t>(i)] = *v;
    }

    // Points without a value take their neighbours' mean (or the one
    // neighbour's value), so g and the density stay defined.
    scan.values = y;
    bool positive = false, negative = false;
    for (int i = 0; i <= scanIntervals; ++i) {
        const auto at = static_cast<size_t>(i);
        if (std::isfinite(y[at])) {
            positive = positive || y[at] > 0;
            negative = negative || y[at] < 0;
            continue;
        }
        ++scan.missingPoints;
        int left = i - 1, right = i + 1;
        while (left >= 0 && !std::isfinite(y[static_cast<size_t>(left)])) --left;
        while (right <= scanIntervals && !std::isfinite(y[static_cast<size_t>(right)])) ++right;
        const bool hasLeft = left >= 0, hasRight = right <= scanIntervals;
        const double l = hasLeft ? y[static_cast<size_t>(left)] : 0,
                     r = hasRight ? y[static_cast<size_t>(right)] : 0;
        scan.values[at] = hasLeft && hasRight ? (l + r) / 2 : hasLeft ? l : r;
    }
    scan.changesSign = positive && negative;
    const std::vector<double>& v = scan.values;

    // A jump: a step between neighbouring points far larger than the steps on
    // either side of it, where a smooth f changes its step only a little.
    double largest = 0, scale = 0;
    for (double value : v) scale = std::max(scale, std::fabs(value));
    for (int i = 0; i < scanIntervals; ++i) {
        const auto at = static_cast<size_t>(i);
        const double step = std::fabs(v[at + 1] - v[at]);
        double beside = 0;
        if (i > 0) beside = std::max(beside, std::fabs(v[at] - v[at - 1]));
        if (i + 1 < scanIntervals) beside = std::max(beside, std::fabs(v[at + 2] - v[at + 1]));
        if (step > 10 * beside && step > 1e-9 * scale && step > largest) {
            largest = step;
            scan.jumpAt = a + (i + 0.5) * h;
        }
    }

    // A constant is symmetric too, but there the pairs lose nothing.
    const auto [low, high] = std::minmax_element(v.begin(), v.end());
    scan.symmetric = *high - *low > 1e-12 * scale;
    for (int i = 0; i < scanIntervals / 2; ++i)
        scan.symmetric =
            scan.symmetric &&
            std::fabs(v[static_cast<size_t>(i)] - v[static_cast<size_t>(scanIntervals - i)]) <= 1e-12 * scale;

    // ∫g of the broken line, in double.
    double sum = (v.front() + v.back()) / 2;
    for (int i = 1; i < scanIntervals; ++i) sum += v[static_cast<size_t>(i)];
    scan.controlIntegral = sum * h;

    // The density: the mean |f| at each interval's ends plus 1 % of its mean
    // over [a, b], so that no interval where f may not be zero is left out.
    std::vector<double> mass(scanIntervals);
    double total = 0;
    for (int i = 0; i < scanIntervals; ++i) {
        const auto at = static_cast<size_t>(i);
        mass[at] = (std::fabs(v[at]) + std::fabs(v[at + 1])) / 2;
        total += mass[at];
    }
    const double floor = total > 0 && std::isfinite(total) ? 0.01 * total / scanIntervals : 1;
    if (!(total > 0 && std::isfinite(total))) std::fill(mass.begin(), mass.end(), 0.0);
    total = 0;
    for (double& m : mass) total += (m += floor);
    scan.cumulative.assign(scanIntervals + 1, 0);
    scan.weight.assign(scanIntervals, 0);
    double running = 0;
    for (int i = 0; i < scanIntervals; ++i) {
        const auto at = static_cast<size_t>(i);
        const double share = mass[at] / total;
        scan.weight[at] = h / share;
        running += share;
        scan.cumulative[at + 1] = running;
    }
    scan.cumulative.back() = 1;
    scan.guide.assign(guideCells, 0);
    int interval = 0;
    for (int cell = 0; cell < guideCells; ++cell) {
        const double u = static_cast<double>(cell) / guideCells;
        while (interval + 1 < scanIntervals && scan.cumulative[static_cast<size_t>(interval) + 1] <= u)
            ++interval;
        scan.guide[static_cast<size_t>(cell)] = interval;
    }
    return outcome;
}

MethodRun runMethod(Method method, Integrand& f, const MethodParameters& parameters, const MethodScan& scan,
                    int64_t n, uint64_t streamIndex, const std::atomic<bool>* cancel) {
    MethodRun run;
    if (n <= 0) return run;
    const Box& box = parameters.box;
    const double a = box.a, w = box.width(), nd = static_cast<double>(n);
    RandomStream random(parameters.seed, firstMethodStream + static_cast<uint64_t>(method), streamIndex);
    Evaluations eval(f, cancel, run);
    auto finish = [&](const Moments& m, double scale, double offset) {
        run.value = offset + scale * m.mean();
        run.ownError = std::fabs(scale) * std::sqrt(m.variance() / nd);
    };

    switch (method) {
        case Method::HitOrMiss: {
            int64_t above = 0, below = 0;
            for (int64_t k = 0; k < n; ++k) {
                const double x = a + w * random.next();
                const double yr = box.ymin + box.height() * random.next();
                double y;
                if (!eval.at(x, y)) return run;
                const ThrowKind kind = classifyThrow(yr, y);
                above += kind == ThrowKind::Above;
                below += kind == ThrowKind::Below;
            }
            // Each throw adds +1, −1 or 0: mean q, mean square p.
            const double p = static_cast<double>(above + below) / nd,
                         q = static_cast<double>(above - below) / nd;
            run.value = box.area() * q;
            if (n > 1) run.ownError = std::fabs(box.area()) * std::sqrt(std::max(0.0, p - q * q) / (nd - 1));
            break;
        }
        case Method::MeanValue: {
            Moments m;
            for (int64_t k = 0; k < n; ++k) {
                double y;
                if (!eval.value(a + w * random.next(), y)) return run;
                m.add(y);
            }
            finish(m, w, 0);
            break;
        }
        case Method::Stratified: {
            const int64_t strata = std::max<int64_t>(1, n / std::max(1, parameters.perStratum));
            const int64_t base = n / strata, extra = n % strata;
            const double h = w / static_cast<double>(strata);
            double value = 0, variance = 0;
            for (int64_t j = 0; j < strata; ++j) {
                Moments m;
                const int64_t points = base + (j < extra ? 1 : 0);
                for (int64_t i = 0; i < points; ++i) {
                    double y;
                    if (!eval.value(a + (static_cast<double>(j) + random.next()) * h, y)) return run;
                    m.add(y);
                }
                value += h * m.mean();
                variance += h * h * m.variance() / static_cast<double>(points);
            }
            run.value = value;
            run.ownError = std::sqrt(variance);  // NaN with a single point in a stratum
            break;
        }
        case Method::Antithetic: {
            Moments pairs, all;
            for (int64_t k = 0; k < n / 2; ++k) {
                const double u = random.next();
                double y1, y2;
                if (!eval.value(a + w * u, y1) || !eval.value(box.b - w * u, y2)) return run;
                pairs.add((y1 + y2) / 2);
                all.add(y1);
                all.add(y2);
            }
            double sum = pairs.n > 0 ? 2 * static_cast<double>(pairs.n) * pairs.mean() : 0, extraVariance = 0;
            if (n % 2) {
                double y;
                if (!eval.value(a + w * random.next(), y)) return run;
                all.add(y);
                sum += y;
                extraVariance = all.variance();
            }
            run.value = w * sum / nd;
            const double pairCount = static_cast<double>(pairs.n);
            run.ownError = std::fabs(w) * std::sqrt(4 * pairCount * pairs.variance() + extraVariance) / nd;
            break;
        }
        case Method::Importance: {
            Moments m;
            for (int64_t k = 0; k < n; ++k) {
                // Inverse of the piecewise-linear distribution function: the
                // interval from the guide table, the point linearly inside it.
                const double u = random.next();
                auto i = static_cast<size_t>(scan.guide[static_cast<size_t>(u * guideCells)]);
                while (i + 1 < scan.weight.size() && scan.cumulative[i + 1] <= u) ++i;
                const double weight = scan.weight[i];
                const double x =
                    a + static_cast<double>(i) * (w / scanIntervals) + (u - scan.cumulative[i]) * weight;
                double y;
                if (!eval.value(x, y)) return run;
                m.add(y * weight);
            }
            finish(m, 1, 0);
            break;
        }
        case Method::ControlVariate: {
            Moments m;
            const std::vector<double>& g = scan.values;
            for (int64_t k = 0; k < n; ++k) {
                const double u = random.next();
                const double s = u * scanIntervals;
                const auto i = static_cast<size_t>(std::min(scanIntervals - 1, static_cast<int>(s)));
                const double gx = g[i] + (g[i + 1] - g[i]) * (s - static_cast<double>(i));
                double y;
                if (!eval.value(a + w * u, y)) return run;
                m.add(y - gx);
            }
            finish(m, w, scan.controlIntegral);
            break;
        }
        case Method::Sobol: {
            // {v + u} in 64-bit fixed point: the sum wraps modulo 1 exactly.
            const auto shift = static_cast<uint64_t>(random.next() * 0x1.0p53) << 11;
            boost::random::sobol sequence(1);
            plainMean(eval, box, n, run, [&] { return unitOf(sequence() + shift); });
            break;
        }
        case Method::Weyl: {
            uint64_t point = static_cast<uint64_t>(random.next() * 0x1.0p53) << 11;
            plainMean(eval, box, n, run, [&] { return unitOf(point += goldenStep); });
            break;
        }
    }
    return run;
}

double rmsError(const std::vector<double>& estimates, double reference) {
    if (estimates.empty()) return nan;
    double sum = 0;
    for (double e : estimates) sum += (e - reference) * (e - reference);
    return std::sqrt(sum / static_cast<double>(estimates.size()));
}

double logLogSlope(const std::vector<int64_t>& x, const std::vector<double>& y) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    int count = 0;
    for (size_t k = 0; k < std::min(x.size(), y.size()); ++k) {
        if (!(x[k] > 0 && y[k] > 0 && std::isfinite(y[k]))) continue;
        const double lx = std::log(static_cast<double>(x[k])), ly = std::log(y[k]);
        sx += lx;
        sy += ly;
        sxx += lx * lx;
        sxy += lx * ly;
        ++count;
    }
    if (count < 2) return nan;
    const double c = count;
    const double d = c * sxx - sx * sx;
    return d > 0 ? (c * sxy - sx * sy) / d : nan;
}

std::vector<int64_t> chartCounts(int64_t maxN) {
    std::vector<int64_t> out;
    for (int k = 0;; ++k) {
        const auto n = static_cast<int64_t>(std::llround(std::pow(10.0, 1 + k / 3.0)));
        if (n > maxN) break;
        out.push_back(n);
    }
    if (maxN >= 10 && out.back() != maxN) out.push_back(maxN);
    return out;
}

MethodsRunner::MethodsRunner(MethodsSettings settings, const IntegrandFactory& factory,
                             ProgressCallback progress)
    : settings_(std::move(settings)), progress_(std::move(progress)) {
    std::vector<bool> chosen(methodCount, settings_.methods.empty());
    for (Method m : settings_.methods) chosen[static_cast<size_t>(m)] = true;
    chosen[static_cast<size_t>(Method::MeanValue)] = true;
    for (int m = 0; m < methodCount; ++m)
        if (chosen[static_cast<size_t>(m)]) methods_.push_back(static_cast<Method>(m));
    chartN_ = chartCounts(settings_.maxN);
    settings_.runs = std::max(1, settings_.runs);
    if (settings_.chartRuns <= 0) settings_.chartRuns = settings_.runs;
    settings_.n = std::max<int64_t>(1, settings_.n);

    unsigned threads = settings_.threads ? settings_.threads : std::thread::hardware_concurrency();
    threads = std::max(1u, threads);
    for (unsigned k = 0; k < threads; ++k) {
        integrands_.push_back(factory());
        integrands_.back()->setStopFlag(&cancel_);
    }

    // Methods interleave within each run, so that a change of the machine's
    // load falls on all of them alike and the cost ratios stay fair.
    const int sizes = 1 + static_cast<int>(chartN_.size());
    const int methodTotal = static_cast<int>(methods_.size());
    for (int m = 0; m < methodTotal; ++m)
        for (int size = 0; size < sizes; ++size) {
            slotStart_.push_back(slots_.size());
            slots_.resize(slots_.size() + static_cast<size_t>(runsAt(size)));
        }
    totalEvaluations_ = 0;
    for (int size = 0; size < sizes; ++size)
        for (int run = 0; run < runsAt(size); ++run)
            for (int m = 0; m < methodTotal; ++m) {
                items_.push_back({m, size, run});
                totalEvaluations_ += static_cast<double>(sizeAt(size));
            }
    failures_.assign(methods_.size(), Failure{});
    seconds_.assign(methods_.size(), 0);
    missing_.assign(methods_.size(), 0);
    evaluations_.assign(methods_.size(), 0);
}

MethodsRunner::~MethodsRunner() {
    cancel();
    wait();
}

int64_t MethodsRunner::sizeAt(int size) const {
    return size == 0 ? settings_.n : chartN_[static_cast<size_t>(size - 1)];
}

int MethodsRunner::runsAt(int size) const {
    return size == 0 ? settings_.runs : settings_.chartRuns;
}

MethodsRunner::Slot& MethodsRunner::slot(const Item& item) {
    const size_t sizes = 1 + chartN_.size();
    return slots_[slotStart_[static_cast<size_t>(item.method) * sizes + static_cast<size_t>(item.size)] +
                  static_cast<size_t>(item.run)];
}

void MethodsRunner::start() {
    if (started_) return;
    started_ = true;
    active_ = static_cast<int>(integrands_.size());
    for (size_t k = 0; k < integrands_.size(); ++k)
        workers_.emplace_back([this, k, f = integrands_[k].get()] { work(*f, k == 0); });
}

void MethodsRunner::cancel() {
    cancel_ = true;
}

void MethodsRunner::wait() {
    for (auto& t : workers_)
        if (t.joinable()) t.join();
}

bool MethodsRunner::running() const {
    return active_.load() > 0;
}

void MethodsRunner::failMethod(int method, size_t item, const EvaluationFailure& failure) {
    std::lock_guard lock(mutex_);
    Failure& f = failures_[static_cast<size_t>(method)];
    if (item >= f.item) return;
    f.item = item;
    f.failure = failure;
}

void MethodsRunner::work(Integrand& f, bool scans) {
    if (scans) {
        Outcome<MethodScan> scan = scanForMethods(f, settings_.box.a, settings_.box.b, &cancel_);
        std::lock_guard lock(scanMutex_);
        if (!scan.stopped()) {
            scan_ = std::move(scan.result);
            scanned_ = true;
        }
        scanFailure_ = std::move(scan.failure);
        scanFinished_ = true;
        scanDone_.notify_all();
    } else {
        std::unique_lock lock(scanMutex_);
        scanDone_.wait(lock, [this] { return scanFinished_; });
    }
    for (;;) {
        if (cancel_.load(std::memory_order_relaxed)) break;
        const size_t next = nextItem_.fetch_add(1);
        if (next >= items_.size()) break;
        runItem(f, next);
    }
    if (--active_ == 0 && progress_) progress_(1.0);
}

void MethodsRunner::runItem(Integrand& f, size_t index) {
    const Item& item = items_[index];
    const Method method = methods_[static_cast<size_t>(item.method)];
    const int64_t n = sizeAt(item.size);
    bool skip;
    {
        std::lock_guard lock(mutex_);
        // Runs before the first that failed still run, so that the failure
        // shown is the first in item order whichever thread met it.
        skip = failures_[static_cast<size_t>(item.method)].item < index;
    }
    const bool needsScan = method == Method::Importance || method == Method::ControlVariate;
    if (!skip && needsScan && !scanned_) {
        // A scan not stopped by the cancel flag was stopped by a failure of f.
        if (cancel_.load()) return;
        failMethod(item.method, 0, *scanFailure_);
        skip = true;
    }
    if (!skip) {
        MethodParameters parameters{settings_.box, settings_.perStratum, settings_.seed};
        const double before = threadSeconds();
        const MethodRun run =
            runMethod(method, f, parameters, scan_, n,
                      (static_cast<uint64_t>(item.size) << 32) | static_cast<uint64_t>(item.run), &cancel_);
        const double seconds = threadSeconds() - before;
        if (run.status == MethodRun::Cancelled) return;
        if (run.status == MethodRun::Failed) {
            failMethod(item.method, index, *run.failure);
        } else {
            std::lock_guard lock(mutex_);
            Slot& s = slot(item);
            s = Slot{run.value, run.ownError, true};
            seconds_[static_cast<size_t>(item.method)] += seconds;
            missing_[static_cast<size_t>(item.method)] += run.missingValues;
            evaluations_[static_cast<size_t>(item.method)] += static_cast<double>(n);
        }
    }
    const int64_t done = doneEvaluations_ += n;
    if (progress_) {
        // A thousand calls at most.
        const auto permille = static_cast<int>(1000 * static_cast<double>(done) / totalEvaluations_);
        int reported = reportedPermille_.load();
        while (permille > reported && !reportedPermille_.compare_exchange_weak(reported, permille)) {
        }
        if (permille > reported) progress_(std::min(1.0, permille / 1000.0));
    }
}

MethodsResults MethodsRunner::snapshot() const {
    MethodsResults r;
    r.chartN = chartN_;
    std::lock_guard lock(mutex_);
    std::lock_guard scanLock(scanMutex_);
    MethodScan noScan;
    const MethodScan& scan = scanFinished_ && scanned_ ? this->scan_ : noScan;
    r.progress = std::min(1.0, static_cast<double>(doneEvaluations_.load()) / totalEvaluations_);
    const size_t sizes = 1 + chartN_.size();
    const double iStar = settings_.reference;
    bool complete = true;
    int meanIndex = -1;

    for (size_t m = 0; m < methods_.size(); ++m) {
        MethodResult result;
        result.method = methods_[m];
        result.name = methodInfo(result.method).name;
        if (result.method == Method::MeanValue) meanIndex = static_cast<int>(m);
        if (failures_[m].item != noItem) {
            result.failed = true;
            result.note = failures_[m].failure.explanation();
            r.methods.push_back(std::move(result));
            continue;
        }
        auto done = [&](size_t size) {
            std::vector<const Slot*> out;
            for (int run = 0; run < runsAt(static_cast<int>(size)); ++run) {
                const Slot& s = slots_[slotStart_[m * sizes + size] + static_cast<size_t>(run)];
                if (s.done) out.push_back(&s);
            }
            complete = complete && static_cast<int>(out.size()) == runsAt(static_cast<int>(size));
            return out;
        };

        const std::vector<const Slot*> table = done(0);
        result.runsDone = static_cast<int>(table.size());
        if (!table.empty()) {
            Moments values;
            double ownSquares = 0;
            int own = 0;
            for (const Slot* s : table) {
                values.add(s->value);
                if (std::isfinite(s->ownError)) {
                    ownSquares += s->ownError * s->ownError;
                    ++own;
                }
            }
            result.mean = values.mean();
            result.sigma = std::sqrt(values.variance());
            if (own > 0) result.meanOwnError = std::sqrt(ownSquares / own);
            const Slot& last = *table.back();
            result.estimate = last.value;
            result.error = std::fabs(last.value - iStar);
            result.ownError = std::isfinite(last.ownError);
            result.standardError = result.ownError ? last.ownError : result.sigma;
        }
        for (size_t size = 1; size < sizes; ++size) {
            std::vector<double> estimates;
            for (const Slot* s : done(size)) estimates.push_back(s->value);
            result.rms.push_back(estimates.size() >= 2 ? rmsError(estimates, iStar) : nan);
        }
        result.slope = logLogSlope(chartN_, result.rms);
        result.cost = evaluations_[m] > 0 ? seconds_[m] / evaluations_[m] : nan;

        // What the scan says about this method.
        const std::string jump = scan.jumpAt ? decimal(*scan.jumpAt) : std::string();
        switch (result.method) {
            case Method::Stratified:
                if (scan.jumpAt)
                    result.note =
                        "Похоже, f делает скачок около x ≈ " + jump +
                        ": порядок сходимости стратифицированной выборки падает с −1,5 примерно до −1.";
                break;
            case Method::Sobol:
            case Method::Weyl:
                if (scan.jumpAt)
                    result.note =
                        "Похоже, f делает скачок около x ≈ " + jump +
                        ": в одном измерении квазислучайные точки и при скачке дают порядок около −1.";
                break;
            case Method::Antithetic:
                if (scan.symmetric)
                    result.note =
                        "f симметрична относительно середины [a; b]: два значения в паре одинаковы, поэтому "
                        "дисперсия вдвое больше, чем у метода среднего значения (фактор 0,5).";
                break;
            case Method::Importance:
                if (scan.changesSign)
                    result.note =
                        "f меняет знак, поэтому плотность взята пропорциональной |f|: даже при точной форме "
                        "плотности дисперсия не обращается в нуль, как для функции одного знака.";
                break;
            case Method::ControlVariate:
                if (scan.missingPoints > 0)
                    result.note =
                        "В " + std::to_string(scan.missingPoints) +
                        " из 101 точек просмотра f не имеет значения: там ломаная g проведена по соседним "
                        "точкам, и выигрыш может быть меньше.";
                break;
            case Method::HitOrMiss:
                if (std::fabs(settings_.clippedReference - iStar) >
                    result.sigma *
                        std::sqrt(static_cast<double>(settings_.n) / static_cast<double>(settings_.maxN)))
                    result.note =
                        "Прямоугольник бросков обрезает график: метод сходится к интегралу обрезанной "
                        "функции ≈ " +
                        decimal(settings_.clippedReference) + ", а не к I*.";
                break;
            default:
                break;
        }
        if (missing_[m] > 0) {
            if (!result.note.empty()) result.note += ' ';
            result.note += "В " + std::to_string(missing_[m]) +
                           " случайных точках f не имеет значения: там взято f = 0" +
                           (result.method == Method::HitOrMiss ? " (бросок красный)." : ".");
        }
        r.methods.push_back(std::move(result));
    }

    // Factors and costs against the mean-value method.
    if (meanIndex >= 0) {
        const double sigma = r.methods[static_cast<size_t>(meanIndex)].sigma;
        const double cost = r.methods[static_cast<size_t>(meanIndex)].cost;
        for (MethodResult& result : r.methods) {
            if (result.failed) continue;
            result.factor = sigma * sigma / (result.sigma * result.sigma);
            result.cost /= cost;
            result.efficiency = result.factor / result.cost;
        }
    }
    r.finished = complete;
    r.cancelled = cancel_.load() && !complete && started_ && !running();
    return r;
}

}  // namespace mcplot::study
