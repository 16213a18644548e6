// Runs build/formdriver on a script of commands in a scratch folder holding
// the formula pictures, and hands back the JSON lines it printed.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace mcplot::testing {

class DriverSession {
public:
    // A scratch folder with all nine pictures except those named in `missing`.
    explicit DriverSession(const QStringList& missing = {});

    // Locale for the driver's regional settings (LC_ALL); "C" unless set.
    void setLocale(const QString& locale) { locale_ = locale; }
    QString folder() const { return dir_->path(); }

    // Feeds the commands (one per line), waits for the driver to end and
    // returns each printed line parsed. Fails the test on a crash or bad JSON.
    std::vector<QJsonObject> run(const QStringList& commands, int timeoutMs = 120000);

    // Same, for a script given byte for byte (it may hold bytes that are not
    // UTF-8); each printed line must still be JSON in valid UTF-8.
    std::vector<QJsonObject> runBytes(const QByteArray& script, int timeoutMs = 120000);

    // Same, expecting exactly one printed line (normally a dump at the end).
    QJsonObject runOne(const QStringList& commands);

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString locale_ = QStringLiteral("C");
};

// Helpers over a dump.
QJsonObject control(const QJsonObject& dump, const char* name);
QString caption(const QJsonObject& dump, const char* name);
bool visible(const QJsonObject& dump, const char* name);
double stateValue(const QJsonObject& dump, const char* name);
std::vector<double> geometry(const QJsonObject& dump, const char* name);
QStringList messageTitles(const QJsonObject& dump);

}  // namespace mcplot::testing
