// The controls layer: the event order the handlers rely on.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "window/controls.h"

namespace mcplot {
namespace {

TEST(Controls, BgrColoursMapToTheirRgbMeaning) {
    EXPECT_EQ(colorFromBgr(0xC0FFFF), QColor(255, 255, 192));  // light yellow
    EXPECT_EQ(colorFromBgr(0xFFFF80), QColor(128, 255, 255));  // light cyan
    EXPECT_EQ(colorFromBgr(255), QColor(255, 0, 0));
}

TEST(Controls, UpwardBarHasItsMaximumAtTheTopAndRaisesChangeOnlyForANewValue) {
    QWidget parent;
    VScrollBar bar(32000, -32000, &parent);
    bar.setSteps(1, 100);
    int changes = 0;
    bar.Change = [&] { ++changes; };
    bar.setValueFromCode(0);
    EXPECT_EQ(changes, 0);
    bar.setValueFromCode(150);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(bar.Value(), 150);
    // The upper end of a Qt bar is its minimum: that is 32000 here.
    EXPECT_EQ(bar.minimum(), -32000);
    bar.setValue(bar.minimum());
    EXPECT_EQ(bar.Value(), 32000);
    bar.setValueFromCode(150);
    changes = 0;
    // The top arrow and the trough above the thumb raise the value at once.
    bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(bar.Value(), 151);
    bar.triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(bar.Value(), 251);
    bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar.Value(), 250);
    EXPECT_EQ(changes, 3);
}

TEST(Controls, ScaleBarGrowsDownwards) {
    QWidget parent;
    VScrollBar bar(1, 5, &parent);
    bar.setValueFromCode(2);
    bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);  // bottom arrow
    EXPECT_EQ(bar.Value(), 3);
    bar.triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(bar.Value(), 1);
    EXPECT_TRUE(bar.inRange(5));
    EXPECT_FALSE(bar.inRange(6));
}

TEST(Controls, ThumbDragRaisesChangeOnReleaseOnly) {
    QWidget parent;
    VScrollBar bar(32000, 0, &parent);
    bar.setValueFromCode(200);
    int changes = 0;
    bar.Change = [&] { ++changes; };
    bar.setSliderDown(true);
    bar.setSliderPosition(-1000);
    bar.setSliderPosition(-1200);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(bar.Value(), 200);
    bar.setSliderDown(false);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(bar.Value(), 1200);
}

TEST(Controls, TextBoxAndListRaiseTheirEventsFromCode) {
    QWidget parent;
    TextBox box(&parent);
    int changes = 0;
    box.Change = [&] { ++changes; };
    box.setTextFromCode("x^2");
    box.setTextFromCode("x^2");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box.Text(), "x^2");

    ListBox list(&parent);
    int clicks = 0;
    list.Click = [&] { ++clicks; };
    list.AddItem("один");
    list.AddItem("два");
    EXPECT_EQ(clicks, 0);
    list.setListIndex(1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list.Text(), "два");
}

TEST(Controls, AHandlerThatThrowsEndsQuietly) {
    QWidget parent;
    VScrollBar bar(1, 5, &parent);
    bar.Change = [] { throw std::runtime_error("overflow"); };
    EXPECT_NO_THROW(bar.setValueFromCode(4));
    EXPECT_EQ(bar.Value(), 4);
}

TEST(Controls, LabelBreaksLinesAtCrLfAndButtonShowsItsBackColour) {
    QWidget parent;
    Label label(&parent);
    label.setCaption("I=\r\n1.5");
    EXPECT_EQ(label.text(), "I=\n1.5");
    EXPECT_EQ(label.Caption(), "I=\r\n1.5");

    Button b(&parent);
    const QColor face = b.palette().color(QPalette::Button);
    b.setBackColor(255);
    EXPECT_EQ(b.palette().color(QPalette::Button), QColor(255, 0, 0));
    b.setBackColor(0x8000000F);
    EXPECT_EQ(b.palette().color(QPalette::Button), face);
}

TEST(Controls, ImageLoadFailsForMissingOrUnreadableFilesAndKeepsThePicture) {
    QTemporaryDir dir;
    const QString good = dir.filePath("linein.gif");
    ASSERT_TRUE(QFile::copy(MCPLOT_ASSETS_DIR "/linein.gif", good));
    QFile bad(dir.filePath("bad.gif"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();

    QWidget parent;
    ImageBox image(&parent);
    EXPECT_FALSE(image.hasPicture());
    EXPECT_TRUE(image.LoadPicture(good.toStdString()));
    EXPECT_FALSE(image.LoadPicture(dir.filePath("missing.gif").toStdString()));
    EXPECT_FALSE(image.LoadPicture(bad.fileName().toStdString()));
    EXPECT_TRUE(image.hasPicture());
    image.clearPicture();
    EXPECT_FALSE(image.hasPicture());
}

TEST(Controls, GeometryIsRoundedAndSizesNeverNegative) {
    EXPECT_EQ(Placement::pixelRect(20.25f, 197.71f, 16.25f, 22), QRect(20, 198, 16, 22));
    EXPECT_EQ(Placement::pixelRect(40.5f, 160, 595.5f, -3), QRect(41, 160, 596, 0));
    QWidget parent;
    Label label(&parent);
    label.setHeight(-56);
    EXPECT_EQ(label.Height(), 0);
    EXPECT_EQ(label.height(), 0);
}

}  // namespace
}  // namespace mcplot

namespace mcplot {
namespace {

TEST(Controls, NarrowButtonBreaksItsCaptionAfterTheHyphenButKeepsIt) {
    QWidget parent;
    Button b(&parent);
    QFont f(QStringLiteral("Times New Roman"));
    f.setPointSize(12);
    b.setFont(f);
    b.setCaption("&Монте-Карло");
    b.setWidth(65);
    b.setHeight(44);
    EXPECT_EQ(b.Caption(), "&Монте-Карло");
    EXPECT_EQ(b.shownCaption(), "&Монте-\nКарло");
    EXPECT_EQ(b.text(), "&Монте-Карло");
    b.setWidth(200);
    EXPECT_EQ(b.shownCaption(), "&Монте-Карло");
}

}  // namespace
}  // namespace mcplot

#include "tests/support/recording_desktop.h"
#include "window/qt_desktop.h"

namespace mcplot {
namespace {

TEST(Platform, OpeningAMissingFileFailsQuietly) {
    QtDesktop desktop;
    EXPECT_NO_THROW(desktop.openInTextEditor("no-such-file-mcplot.txt"));
    EXPECT_EQ(desktop.openInTextEditor(""), OpenResult::Failed);
    EXPECT_EQ(desktop.openDocument(""), OpenResult::Failed);
}

TEST(Platform, RecordingDesktopAnswersTheNextQuestionOnce) {
    testing::RecordingDesktop desktop;
    desktop.tell("text", "title");
    desktop.answerNext(Answer::No);
    EXPECT_EQ(desktop.askYesNo("?", "t"), Answer::No);
    EXPECT_EQ(desktop.askYesNo("?", "t"), Answer::Yes);
    ASSERT_EQ(desktop.shown.size(), 3u);
    EXPECT_FALSE(desktop.shown[0].question);
    EXPECT_TRUE(desktop.shown[1].question);
}

}  // namespace
}  // namespace mcplot
