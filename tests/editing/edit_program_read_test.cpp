#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "base/texts.h"
#include "editing/channel_definition_window.h"
#include "editing/lin_table_window.h"
#include "operations/station_programmer.h"
#include "operations/station_reader.h"
#include "scripted_prompts.h"
#include "sequence_views.h"
#include "sim_link.h"

namespace pelmo {
namespace {

// What an operator does in one sitting: read the station, edit a channel and its table in
// the editors, program the station and read it again.
TEST(EditProgramRead, TheEditedChannelAndTableComeBackFromTheStation) {
    setLanguage(Language::Czech);
    test::ScriptedPrompts prompts;
    test::SimLink link;
    link.program.setPrompts(prompts);
    StationImage& image = link.image;

    test::RecordingReadView read;
    StationReader reader(link.port, link.context, prompts, read);
    reader.start();
    link.run([&] { return reader.engine(); });
    ASSERT_TRUE(read.completed());

    TLinTab tables(image, prompts, link.program.settings);
    TDefVeliciny editor(7, link.program, link.port, tables, {});
    editor.show();
    editor.findChild<QLineEdit*>(QStringLiteral("e_jmeno"))->setText(QStringLiteral("TKV"));
    QTimer::singleShot(0, &tables, [&tables] {
        auto* grid = tables.findChild<QTableWidget*>(QStringLiteral("LinTabGrid"));
        const char* rows[][2] = {{"100", "0"}, {"2100", "60"}, {"4000", "140"}};
        for (int r = 0; r < 3; ++r) {
            grid->item(r + 2, 1)->setText(QString::fromLatin1(rows[r][0]));
            grid->item(r + 2, 2)->setText(QString::fromLatin1(rows[r][1]));
        }
        tables.findChild<QLineEdit*>(QStringLiteral("e_max"))->setText(QStringLiteral("140"));
        tables.findChild<QPushButton*>(QStringLiteral("b_save"))->click();
    });
    QWidget* sensor = editor.findChild<QLineEdit*>(QStringLiteral("e_typ"));
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(2, 2),
                      sensor->mapToGlobal(QPointF(2, 2)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(sensor, &click);
    editor.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    ASSERT_TRUE(prompts.shown.empty()) << prompts.shown.front().text.toStdString();
    ASSERT_EQ(image.channel(7).table_points, 3);
    const StationImage edited = image;

    test::RecordingProgrammingView programmed;
    StationProgrammer programmer(link.port, link.context, prompts, programmed, {});
    programmer.start();
    link.run([&] { return programmer.engine(); });
    ASSERT_TRUE(programmed.finished());

    resetNewStation(image);
    test::RecordingReadView again;
    StationReader second(link.port, link.context, prompts, again);
    second.start();
    link.run([&] { return second.engine(); });
    ASSERT_TRUE(again.completed());
    EXPECT_EQ(image.channelData(7).name, "TKV");
    EXPECT_EQ(image.channel(7).table_points, 3);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(image.channel(7).table_x[k], edited.channel(7).table_x[k]) << k;
        EXPECT_EQ(image.channel(7).table_y[k], edited.channel(7).table_y[k]) << k;
    }
    EXPECT_FLOAT_EQ(static_cast<float>(image.channelData(7).value_max), 140.0f);
    EXPECT_TRUE(prompts.shown.empty());
}

}  // namespace
}  // namespace pelmo
