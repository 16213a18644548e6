// Dialogs in Russian and the plot saved as a picture, end to end.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

QStringList buttonTexts(const QJsonObject& message) {
    QStringList texts;
    for (const QJsonValue& t : message["buttonTexts"].toArray()) texts << t.toString();
    return texts;
}

TEST(RussianDialogs, ExitQuestionSaysDaAndNetWhateverTheLocale) {
    for (const char* locale : {"C", "ru_RU.UTF-8"}) {
        DriverSession s;
        s.setLocale(QString::fromLatin1(locale));
        const auto d = s.run({"start", "answer no", "close", "dump"});
        ASSERT_EQ(d.size(), 1u) << locale;
        const QJsonArray m = d[0]["messages"].toArray();
        ASSERT_EQ(m.size(), 1) << locale;
        EXPECT_EQ(m[0].toObject()["title"].toString(), "На Выход");
        EXPECT_EQ(buttonTexts(m[0].toObject()), QStringList({"Да", "Нет"})) << locale;
        EXPECT_TRUE(d[0]["alive"].toBool()) << "No keeps the window";
    }
}

TEST(RussianDialogs, InformationBoxesHaveARussianOkButton) {
    DriverSession s;
    const QJsonObject d = s.runOne({"start", "menu mnuHelpAbout", "dump"});
    const QJsonArray m = d["messages"].toArray();
    ASSERT_EQ(m.size(), 1);
    EXPECT_EQ(buttonTexts(m[0].toObject()), QStringList({"ОК"}));  // Cyrillic letters
}

TEST(RussianDialogs, EveryControlReportsItsTemplateTooltip) {
    DriverSession s;
    const QJsonObject d = s.runOne({"start", "dump"});
    EXPECT_EQ(control(d, "Label4")["toolTip"].toString(), "верхний предел");
    EXPECT_EQ(control(d, "Text1")["toolTip"].toString(), "Введите вашу функцию инажмите ОК");
    EXPECT_EQ(control(d, "Command1")["toolTip"].toString(), "");
    for (const char* name : {"Label1", "Label2", "Label3", "Label5", "Label6", "Text2", "CmdOK", "VScroll1",
                             "VScroll2", "VScroll3", "VScroll4", "List1", "Image1", "Picture1"})
        EXPECT_TRUE(control(d, name).contains("toolTip")) << name;
}

TEST(RussianDialogs, AuthorsCreditsStandInsideTheWindow) {
    DriverSession s;
    const QJsonObject d = s.runOne({"start", "menu mnuHelpAvtors", "dump"});
    const QJsonObject f2 = d["form2"].toObject();
    const QJsonArray client = f2["client"].toArray();
    const QJsonArray text = f2["label1Text"].toArray();
    ASSERT_EQ(text.size(), 4);
    EXPECT_GE(text[0].toInt(), 0);
    EXPECT_GE(text[1].toInt(), 0);
    EXPECT_LE(text[0].toInt() + text[2].toInt(), client[0].toInt());
    EXPECT_LE(text[1].toInt() + text[3].toInt(), client[1].toInt());
    EXPECT_EQ(f2["label1"].toString().split("\r\n").size(), 6);
}

TEST(SavePicture, WritesThePlotBoxAsAPngOfItsSize) {
    DriverSession s;
    const QString file = QDir(s.folder()).filePath(QStringLiteral("график.png"));
    const auto d = s.run({"start", "resize 700 520", "save " + file, "dump"});
    ASSERT_EQ(d.size(), 1u);
    EXPECT_TRUE(d[0]["messages"].toArray().isEmpty());
    EXPECT_EQ(d[0]["plots"].toInt(), 3) << "saving draws nothing";
    const QImage picture(file, "PNG");
    ASSERT_FALSE(picture.isNull());
    const QJsonArray box = control(d[0], "Picture1")["pixels"].toArray();
    EXPECT_EQ(picture.width(), box[2].toInt());
    EXPECT_EQ(picture.height(), box[3].toInt());
    // The plot itself, not an empty box: the blue graph of the linear function.
    int blue = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.blue() > 200 && c.red() < 60 && c.green() < 60) ++blue;
        }
    EXPECT_GT(blue, 100);
}

TEST(SavePicture, AFailureToWriteIsToldInRussianAndTheProgramGoesOn) {
    DriverSession s;
    const QString missingFolder = QDir(s.folder()).filePath(QStringLiteral("нет-такой-папки/plot.png"));
    const auto d =
        s.run({"start", "save " + missingFolder, "dump", "save " + s.folder(), "scroll 2 500", "dump"});
    ASSERT_EQ(d.size(), 2u);
    const QJsonArray first = d[0]["messages"].toArray();
    ASSERT_EQ(first.size(), 1);
    const QJsonObject m = first[0].toObject();
    EXPECT_EQ(m["title"].toString(), "Рисунок не сохранён");
    EXPECT_TRUE(m["text"].toString().contains(missingFolder)) << m["text"].toString().toStdString();
    EXPECT_EQ(m["buttons"].toInt(), 0);
    EXPECT_FALSE(QFile::exists(missingFolder));

    // A folder in place of the file: told too, and the window still works.
    const QJsonArray second = d[1]["messages"].toArray();
    ASSERT_EQ(second.size(), 1);
    EXPECT_TRUE(second[0].toObject()["text"].toString().contains("папка"));
    EXPECT_TRUE(d[1]["alive"].toBool());
    EXPECT_EQ(stateValue(d[1], "b"), 5);
    EXPECT_EQ(d[1]["plots"].toInt(), 1);
}

TEST(SavePicture, TheMenuItemAloneIsACancelledDialog) {
    DriverSession s;
    const QJsonObject d = s.runOne({"start", "menu mnuFileSavePicture", "dump"});
    EXPECT_TRUE(d["messages"].toArray().isEmpty());
    EXPECT_TRUE(d["alive"].toBool());
}

}  // namespace
}  // namespace mcplot::testing
