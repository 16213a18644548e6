// The study window's pages saved as CSV: every number of the page's tables and
// curves reads back to the figure the dump shows, in both spreadsheet styles,
// and a failure names the file and the reason.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>

#include <tuple>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

using Table = std::vector<QStringList>;

// The file's tables (they are separated by an empty line), quotes undone.
std::vector<Table> readTables(const QString& path, QChar field) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QString text = QString::fromUtf8(f.readAll());
    std::vector<Table> tables(1);
    QStringList record;
    QString cell;
    bool quoted = false;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QChar c = text[k];
        if (quoted) {
            if (c == '"' && k + 1 < text.size() && text[k + 1] == '"')
                cell += text[++k];
            else if (c == '"')
                quoted = false;
            else
                cell += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == field) {
            record << cell;
            cell.clear();
        } else if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') {
            ++k;
            record << cell;
            cell.clear();
            if (record == QStringList{""})
                tables.emplace_back();
            else
                tables.back().push_back(record);
            record.clear();
        } else {
            cell += c;
        }
    }
    EXPECT_TRUE(record.isEmpty() && cell.isEmpty()) << "the last line ends with CR LF";
    return tables;
}

// The column headed `name` of the table whose first header is `first`.
QStringList column(const std::vector<Table>& tables, const QString& first, const QString& name) {
    for (const Table& t : tables)
        if (!t.empty() && t[0][0] == first) {
            const qsizetype c = t[0].indexOf(name);
            EXPECT_GE(c, 0) << name.toStdString();
            QStringList out;
            for (size_t r = 1; r < t.size(); ++r) out << t[r].value(c);
            return out;
        }
    ADD_FAILURE() << "no table " << first.toStdString();
    return {};
}

QJsonArray column(const QJsonArray& rows, const char* key) {
    QJsonArray out;
    for (const QJsonValue& r : rows) out << r.toObject()[key];
    return out;
}

TEST(StudyData, PagesSaveTheirNumbersAsTheDumpShowsThem) {
    DriverSession s;
    const QString dir = s.folder() + "/";
    const QString script =
        "start|select 4|click CmdOK|study open|study seed 3|study nmax 10000|study runs 30|study run|"
        "methods open|methods n 100|methods nmax 1000|methods runs 10|methods seed 5|methods run|"
        "study savedata accuracy DIR/a.csv|study savedata methods ru DIR/m.csv|dump|"
        "study savedata accuracy ru DIR/missing/a.csv|dump|study save histogram DIR/missing/h.png|dump|"
        "study savedata methods DIR/|dump";
    const auto d = s.run(QString(script).replace("DIR/", dir).split('|'));
    ASSERT_EQ(d.size(), 5u);  // the dumps and the driver's error for the picture not saved
    const QJsonObject st = d[0]["study"].toObject();
    const QJsonObject c = st["convergence"].toObject(), h = st["histogram"].toObject();
    const QJsonArray methods = st["methods"].toArray();
    QJsonArray counts = h["counts"].toArray(), lowEdges = h["edges"].toArray(), highEdges = lowEdges;
    lowEdges.removeLast();
    highEdges.removeFirst();

    const struct Case {
        const char* file;
        QChar field, decimal;
        // (table, column) in the file against the dump's numbers
        std::vector<std::tuple<QString, QString, QJsonArray>> columns;
    } cases[] = {
        {"a.csv",
         ',',
         '.',
         {{"N", "N", c["n"].toArray()},
          {"N", "ошибка одного опыта: попадания", c["hitOrMiss"].toArray()},
          {"N", "ошибка одного опыта: среднее f", c["meanValue"].toArray()},
          {"N", "ср. кв. ошибка: попадания", c["rmsHitOrMiss"].toArray()},
          {"N", "ср. кв. ошибка: среднее f", c["rmsMeanValue"].toArray()},
          {"N", "σ попаданий", c["hitOrMissSigma"].toArray()},
          {"N", "σ среднего f", c["meanValueSigma"].toArray()},
          {"n интервалов", "n интервалов", c["trapezoidN"].toArray()},
          {"n интервалов", "ошибка трапеций", c["trapezoidError"].toArray()},
          {"результат от", "результат от", lowEdges},
          {"результат от", "до", highEdges},
          {"результат от", "число опытов", counts}}},
        {"m.csv",
         ';',
         ',',
         {{"N", "N", st["methodsPage"].toObject()["chartN"].toArray()},
          {"метод", "I, последний опыт", column(methods, "estimate")},
          {"метод", "|I − I*|", column(methods, "error")},
          {"метод", "σ по M опытам", column(methods, "sigma")},
          {"метод", "σ̂ опыта", column(methods, "standardError")},
          {"метод", "выигрыш", column(methods, "factor")},
          {"метод", "наклон", column(methods, "slope")},
          {"метод", "опытов", column(methods, "runsDone")},
          {"N", "ср. кв. ошибка: Последовательность Соболя", methods[6].toObject()["rms"].toArray()},
          {"N", "ср. кв. ошибка: Метод «попал — не попал»", methods[0].toObject()["rms"].toArray()}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.file);
        const std::vector<Table> tables = readTables(dir + k.file, k.field);
        ASSERT_GE(tables.size(), 3u);
        for (const auto& [table, name, want] : k.columns) {
            SCOPED_TRACE(name.toStdString());
            const QStringList got = column(tables, table, name);
            ASSERT_EQ(got.size(), want.size());
            for (qsizetype r = 0; r < got.size(); ++r) {
                if (want[r].isString()) {  // NaN: an empty field
                    EXPECT_TRUE(got[r].isEmpty()) << got[r].toStdString();
                    continue;
                }
                EXPECT_FALSE(got[r].contains(k.decimal == ',' ? '.' : ',')) << got[r].toStdString();
                bool ok = false;
                EXPECT_EQ(QString(got[r]).replace(k.decimal, '.').toDouble(&ok), want[r].toDouble());
                EXPECT_TRUE(ok) << got[r].toStdString();
            }
        }
    }
    // What was studied heads the accuracy file.
    const std::vector<Table> accuracy = readTables(dir + "a.csv", ',');
    const QStringList keys = column(accuracy, "параметр", "параметр"),
                      values = column(accuracy, "параметр", "значение");
    auto value = [&](const char* key) { return values.value(keys.indexOf(key)); };
    EXPECT_EQ(value("зерно"), "3");
    EXPECT_EQ(value("Nmax"), "10000");
    EXPECT_EQ(value("I*").toDouble(), st["reference"].toDouble());
    EXPECT_EQ(value("вердикт"), st["referenceVerdict"].toString());

    EXPECT_EQ(st["status"].toString(), "Данные сохранены в файл «" + dir + "a.csv».");
    EXPECT_EQ(st["methodsPage"].toObject()["status"].toString(),
              "Данные сохранены в файл «" + dir + "m.csv».");
    // A failure names the file and the reason on the page's status line.
    const struct {
        QJsonObject dump;
        bool methodsPage;
        QString status;
    } failures[] = {
        {d[1], false,
         "Данные не сохранены в файл «" + dir + "missing/a.csv»: папки «" + dir + "missing» нет."},
        {d[3], false,
         "Рисунок не сохранён в файл «" + dir + "missing/h.png»: папки «" + dir + "missing» нет."},
        {d[4], true, "Данные не сохранены в файл «" + dir + "»: это папка, а не файл."},
    };
    for (const auto& f : failures) {
        const QJsonObject page = f.dump["study"].toObject();
        EXPECT_EQ((f.methodsPage ? page["methodsPage"].toObject() : page)["status"].toString(), f.status);
    }
}

}  // namespace
}  // namespace mcplot::testing
