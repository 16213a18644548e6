#include "driver_session.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringDecoder>

#include <gtest/gtest.h>

namespace mcplot::testing {

namespace {
const char* const pictures[] = {"linein.gif",  "parabola.gif", "sinus.gif",   "cos.gif", "gauss.gif",
                                "maxwell.gif", "plank_1.gif",  "plank_2.gif", "vdv.gif"};
}

DriverSession::DriverSession(const QStringList& missing) : dir_(std::make_unique<QTemporaryDir>()) {
    for (const char* name : pictures) {
        if (missing.contains(QString::fromLatin1(name))) continue;
        const QString from = QStringLiteral(MCPLOT_ASSETS_DIR "/") + QString::fromLatin1(name);
        EXPECT_TRUE(QFile::copy(from, dir_->filePath(QString::fromLatin1(name)))) << name;
    }
}

std::vector<QJsonObject> DriverSession::run(const QStringList& commands, int timeoutMs) {
    return runBytes((commands.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(), timeoutMs);
}

std::vector<QJsonObject> DriverSession::runBytes(const QByteArray& script, int timeoutMs) {
    QProcess p;
    p.setProgram(QStringLiteral(MCPLOT_FORMDRIVER));
    p.setWorkingDirectory(dir_->path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), locale_);
    env.insert(QStringLiteral("LANG"), locale_);
    p.setProcessEnvironment(env);
    p.start();
    EXPECT_TRUE(p.waitForStarted());
    p.write(script);
    p.closeWriteChannel();
    const bool finished = p.waitForFinished(timeoutMs);
    EXPECT_TRUE(finished) << "driver did not finish";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "driver crashed";
    EXPECT_EQ(p.exitCode(), 0);

    std::vector<QJsonObject> out;
    const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
    for (const QByteArray& line : lines) {
        if (line.trimmed().isEmpty()) continue;
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(line);
        EXPECT_FALSE(utf8.hasError()) << "not UTF-8: " << line.left(200).toStdString();
        QJsonParseError err;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &err);
        EXPECT_EQ(err.error, QJsonParseError::NoError) << line.left(200).toStdString();
        out.push_back(doc.object());
    }
    return out;
}

QJsonObject DriverSession::runOne(const QStringList& commands) {
    const auto lines = run(commands);
    EXPECT_EQ(lines.size(), 1u);
    return lines.empty() ? QJsonObject() : lines.back();
}

QJsonObject control(const QJsonObject& dump, const char* name) {
    return dump[QStringLiteral("controls")].toObject()[QString::fromLatin1(name)].toObject();
}

QString caption(const QJsonObject& dump, const char* name) {
    const QJsonObject c = control(dump, name);
    return c.contains(QStringLiteral("caption")) ? c[QStringLiteral("caption")].toString()
                                                 : c[QStringLiteral("text")].toString();
}

bool visible(const QJsonObject& dump, const char* name) {
    return control(dump, name)[QStringLiteral("visible")].toBool();
}

double stateValue(const QJsonObject& dump, const char* name) {
    return dump[QStringLiteral("state")].toObject()[QString::fromLatin1(name)].toDouble();
}

std::vector<double> geometry(const QJsonObject& dump, const char* name) {
    std::vector<double> g;
    for (const QJsonValue& v : control(dump, name)[QStringLiteral("geometry")].toArray())
        g.push_back(v.toDouble());
    return g;
}

QStringList messageTitles(const QJsonObject& dump) {
    QStringList titles;
    for (const QJsonValue& m : dump[QStringLiteral("messages")].toArray())
        titles << m.toObject()[QStringLiteral("title")].toString();
    return titles;
}

}  // namespace mcplot::testing
