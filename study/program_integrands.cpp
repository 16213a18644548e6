#include "study/program_integrands.h"

#include <cmath>

#include "core/evaluation.h"
#include "numbers/number.h"

namespace mcplot::study {

namespace {

class BuiltIn : public Integrand {
public:
    BuiltIn(int nfun, double temperature) : nfun_(static_cast<int16_t>(nfun)), temperature_(temperature) {}
    EvaluationResult at(double x) override { return builtInValue(nfun_, x, temperature_); }

private:
    int16_t nfun_;
    double temperature_;
};

class Expression : public Integrand {
public:
    // The expression is parsed once here when the host can (the main window
    // parses the text of every point, the study need not): the values and
    // failures are the same.
    Expression(const std::string& expression, std::unique_ptr<ScriptHost> host)
        : expression_(expression),
          host_(std::move(host)),
          res_(std::make_shared<PubResults>()),
          prepared_(host_->preparePointScript(expression_, res_)) {}

    EvaluationResult at(double x) override {
        return evaluateExpression(*host_, prepared_.get(), res_, kod_, expression_, x);
    }
    size_t values(const double* xs, double* ys, size_t n) override {
        return prepared_ ? prepared_->quickValues(xs, ys, n) : 0;
    }
    void setStopFlag(const std::atomic<bool>* flag) override { host_->setStopFlag(flag); }

private:
    std::string expression_;
    std::unique_ptr<ScriptHost> host_;
    std::shared_ptr<PubResults> res_;
    std::unique_ptr<PreparedPointScript> prepared_;  // after host_: it goes first
    std::string kod_;
};

}  // namespace

IntegrandFactory builtInIntegrand(int nfun, double temperature) {
    return [nfun, temperature] { return std::make_unique<BuiltIn>(nfun, temperature); };
}

IntegrandFactory expressionIntegrand(std::string expression, ScriptHostMaker makeHost) {
    return [expression = std::move(expression), makeHost = std::move(makeHost)] {
        return std::make_unique<Expression>(expression, makeHost());
    };
}

}  // namespace mcplot::study
