#include "study/program_integrands.h"

#include <cmath>

#include "core/failure_text.h"
#include "numbers/number.h"

namespace mcplot::study {

double builtInFormula(int nfun, double x, double temperature) {
    switch (nfun) {
        case 1: return x;
        case 2: return std::pow(x, 2);
        case 3: return std::sin(x);
        case 4: return std::cos(x);
        case 5: return std::exp(-(std::pow(x, 2)));
        case 6: {
            const double c = 4 / std::sqrt(3.14);
            return c * std::exp(-(std::pow(x, 2))) * std::pow(x, 2);
        }
        case 7: return std::pow(x, 3) / (std::exp(x) - 1);
        case 8: {
            const double inv = 1 / x;
            return (1 / std::pow(x, 5)) / (std::exp(inv) - 1);
        }
        case 9: return 8 * temperature / (3 * x - 1) - 3 / std::pow(x, 2);
        default: return 0;
    }
}

namespace {

class BuiltIn : public Integrand {
public:
    BuiltIn(int nfun, double temperature) : nfun_(nfun), temperature_(temperature) {}
    std::optional<double> at(double x) override { return builtInFormula(nfun_, x, temperature_); }

private:
    int nfun_;
    double temperature_;
};

class Expression : public Integrand {
public:
    Expression(const std::string& expression, std::unique_ptr<ScriptHost> host)
        : expression_(expression), suffix_("\r\nRes.p=" + expression), host_(std::move(host)),
          res_(std::make_shared<PubResults>()) {}

    std::optional<double> at(double x) override {
        kod_ = "x=" + shortNumber(x) + suffix_;
        host_->Reset();
        ScriptStatus status = host_->AddObject("Res", res_);
        if (status.ok) status = host_->ExecuteStatement(kod_);
        if (!status.ok) {
            failure_ = failureText(status, kod_, expression_, x);
            return std::nullopt;
        }
        return res_->p;
    }
    std::string explainFailure() const override { return failure_; }

private:
    std::string expression_;
    std::string suffix_;
    std::unique_ptr<ScriptHost> host_;
    std::shared_ptr<PubResults> res_;
    std::string kod_;
    std::string failure_;
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
