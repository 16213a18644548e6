// A lesson's additions end to end: the panel that throws step by step leaves
// the main window exactly as it was and counts what the Monte Carlo button
// counts; the worksheet and the data carry the run's own numbers, and only
// while the picture shows that run.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QProcess>

#include <cmath>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

QJsonObject steps(const QJsonObject& dump) {
    return dump["steps"].toObject();
}

TEST(Lesson, StepsAreAnAdditionThatCountsAsTheMonteCarloButtonAndAnyRedrawEnds) {
    // Each main-window command, with the panel's commands that follow it in
    // the second session; both sessions dump after every main-window command.
    struct Step {
        const char* command;
        QStringList panel;
        bool staleAfter;
    };
    const Step script[] = {
        {"seed 3", {}, true},
        {"select 1", {}, true},
        {"click CmdOK",
         {"steps open", "steps seed 3", "steps add 1", "steps add 9", "steps add 90", "steps add 100"},
         false},
        {"select 2", {}, true},
        {"click CmdOK", {"steps reset", "steps add 1000"}, false},
        {"scroll 2 250", {}, true},
        {"scroll 1 50", {"steps reset", "steps speed 200", "steps play 200"}, false},
        {"resize 700 520", {}, true},
        {"scroll 3 500", {"steps reset", "steps add 10"}, false},
        {"click CmdOK", {}, true},
    };
    QStringList plain{"start"}, withPanel{"start"};
    for (const Step& s : script) {
        plain << s.command << "dump";
        withPanel << s.command << s.panel << "dump";
    }
    DriverSession a, b;
    const auto without = a.run(plain);
    const auto with = b.run(withPanel);
    ASSERT_EQ(without.size(), std::size(script));
    ASSERT_EQ(with.size(), std::size(script));
    for (size_t k = 0; k < std::size(script); ++k) {
        SCOPED_TRACE(script[k].command);
        QJsonObject x = without[k], y = with[k];
        x.remove("steps");
        y.remove("steps");
        EXPECT_EQ(x, y) << "the panel changes nothing of the main window";
        if (k >= 2) {
            EXPECT_EQ(steps(with[k])["stale"].toBool(), script[k].staleAfter);
        }
    }
    // The same seed: 200 throws in four steps count what one run of 200 counts.
    const QJsonObject first = with[2], counts = steps(first);
    EXPECT_EQ(counts["n"].toInt(), 200);
    EXPECT_EQ(counts["plus"].toInt(), stateValue(first, "nplus"));
    EXPECT_EQ(counts["minus"].toInt(), stateValue(first, "nminus"));
    EXPECT_EQ(counts["estimate"].toDouble(), stateValue(first, "ikarlo"));
    EXPECT_GT(counts["plus"].toInt(), 0);
    // A redraw keeps the counts on the panel but ends the throwing.
    EXPECT_EQ(steps(with[3])["n"].toInt(), 200);
    EXPECT_EQ(steps(with[4])["n"].toInt(), 1000);
    EXPECT_GT(steps(with[6])["n"].toInt(), 0) << "the animation threw";
}

TEST(Lesson, AnimationAtTheHighestSpeedNeverHoldsTheWindowLong) {
    DriverSession s;
    const QJsonObject d = s.runOne(
        {"start", "select 2", "click CmdOK", "steps open", "steps speed 5000", "steps play 1500", "dump"});
    const QJsonObject st = steps(d);
    EXPECT_FALSE(st["playing"].toBool());
    EXPECT_GE(st["n"].toInt(), 300) << "thousands a second, with room for a loaded machine";
    EXPECT_LT(st["longestStepMs"].toDouble(), 50.0);
}

// The text of a PDF as pdftotext reads it.
QString pdfText(const QString& path) {
    QProcess p;
    p.start("pdftotext", {"-layout", path, "-"});
    EXPECT_TRUE(p.waitForFinished(30000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct Csv {
    std::map<QString, QString> parameters;
    std::vector<QStringList> throws;
};

Csv readCsv(const QString& path, QChar field) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split("\r\n");
    Csv c;
    size_t k = 1;
    EXPECT_EQ(lines[0], QStringList({"параметр", "значение"}).join(field));
    for (; k < size_t(lines.size()) && !lines[k].isEmpty(); ++k) {
        QStringList parts = lines[k].split(field);
        c.parameters[parts[0]] = parts.mid(1).join(field);
    }
    EXPECT_EQ(lines[k + 1], QStringList({"x", "y", "цвет", "учёт"}).join(field));
    for (k += 2; k < size_t(lines.size()); ++k)
        if (!lines[k].isEmpty()) c.throws.push_back(lines[k].split(field));
    return c;
}

TEST(Lesson, DataAndWorksheetCarryTheRunsOwnNumbers) {
    DriverSession s;
    const QString dir = s.folder() + "/";
    const auto d =
        s.run({"start", "select 2", "scroll 3 1000", "click CmdOK", "dump", "savedata " + dir + "d.csv",
               "savedata ru " + dir + "r.csv", "savesheet " + dir + "sheet.pdf",
               "savesheet " + dir + "sheet.png", "print " + dir + "printed.pdf", "dump", "select 1",
               "savesheet " + dir + "other.pdf", "savedata " + dir + "missing/x.csv", "dump"});
    ASSERT_EQ(d.size(), 3u);
    const QJsonObject run = d[0];
    const QString label6 = caption(run, "Label6");

    // The CSV in both styles reads back to the same counts and estimate.
    struct Style {
        const char* file;
        QChar field, decimal;
    };
    for (const Style& style : {Style{"d.csv", ',', '.'}, Style{"r.csv", ';', ','}}) {
        SCOPED_TRACE(style.file);
        const Csv c = readCsv(dir + style.file, style.field);
        auto value = [&](const QString& text) {
            bool ok = false;
            const double v = QString(text).replace(style.decimal, '.').toDouble(&ok);
            EXPECT_TRUE(ok) << text.toStdString();
            return v;
        };
        ASSERT_EQ(c.throws.size(), 1000u);
        int plus = 0, minus = 0, blue = 0;
        for (const QStringList& t : c.throws) {
            ASSERT_EQ(t.size(), 4);
            const int counted = t[3].toInt();
            plus += counted == 1;
            minus += counted == -1;
            blue += t[2] == "синий";
            EXPECT_EQ(t[2] == "синий", counted != 0);
            const double x = value(t[0]);
            EXPECT_TRUE(x >= 0 && x <= 3.1416) << x;
        }
        EXPECT_EQ(plus, stateValue(run, "nplus"));
        EXPECT_EQ(minus, stateValue(run, "nminus"));
        EXPECT_EQ(plus, c.parameters.at("N+").toInt());
        EXPECT_EQ(float(value(c.parameters.at("I Монте-Карло"))), float(stateValue(run, "ikarlo")));
        const double area = value(c.parameters.at("S"));
        const float estimate = float(area * (plus - minus) / 1000.0);
        EXPECT_EQ(QString("I=%1").arg(estimate, 0, 'f', 3), label6);
    }
    EXPECT_EQ(messageTitles(d[1]), QStringList({"Данные сохранены", "Данные сохранены"}));
    EXPECT_TRUE(d[1]["messages"].toArray()[1].toObject()["text"].toString().contains(dir + "r.csv"));

    // The worksheet, saved and printed, says what made the picture.
    for (const char* file : {"sheet.pdf", "printed.pdf"}) {
        SCOPED_TRACE(file);
        const QString text = pdfText(dir + file);
        for (const QString& want :
             {QString("f(x) = sin x"), QString("a = 0.00, b = 3.14"), QString("N = 1000"),
              QString("N₊ = %1").arg(stateValue(run, "nplus")), "Метод Монте-Карло: " + label6,
              "Метод трапеций (100 отрезков): " + caption(run, "Label2"), QString("Дата: ")})
            EXPECT_TRUE(text.contains(want)) << want.toStdString() << "\n" << text.toStdString();
    }
    const QImage png(dir + "sheet.png");
    EXPECT_EQ(png.width(), 1000);
    EXPECT_GT(png.height(), 600) << "the plot with the texts under it";
    // Another function on the picture: no answers of the sine under the parabola.
    const QString other = pdfText(dir + "other.pdf");
    EXPECT_TRUE(other.contains("Ответов нет")) << other.toStdString();
    EXPECT_FALSE(other.contains(label6));
    // A failure names the file and the reason.
    const QJsonArray failed = d[2]["messages"].toArray();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].toObject()["text"].toString().contains("missing/x.csv"));
    EXPECT_TRUE(failed[0].toObject()["text"].toString().contains("папки"));
}

}  // namespace
}  // namespace mcplot::testing
