#include "study/program_integrands.h"

#include <cmath>

#include "core/evaluation.h"
#include "core/failure_text.h"
#include "numbers/number.h"

namespace mcplot::study {

namespace {

class BuiltIn : public Integrand {
public:
    BuiltIn(int nfun, double temperature) : nfun_(static_cast<int16_t>(nfun)), temperature_(temperature) {}
    std::optional<double> at(double x) override { return builtInValue(nfun_, x, temperature_); }

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

    std::optional<double> at(double x) override {
        ScriptStatus status;
        if (prepared_) {
            status = prepared_->run(x);
        } else {
            writePointScript(kod_, x, expression_);
            host_->Reset();
            status = host_->AddObject("Res", res_);
            if (status.ok) status = host_->ExecuteStatement(kod_);
        }
        if (!status.ok) {
            if (prepared_) writePointScript(kod_, x, expression_);  // the text the error's place refers to
            failure_ = failureText(status, kod_, expression_, x);
            return std::nullopt;
        }
        return res_->p;
    }
    std::string explainFailure() const override { return failure_; }
    void setStopFlag(const std::atomic<bool>* flag) override { host_->setStopFlag(flag); }

private:
    std::string expression_;
    std::unique_ptr<ScriptHost> host_;
    std::shared_ptr<PubResults> res_;
    std::unique_ptr<PreparedPointScript> prepared_;  // after host_: it goes first
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
