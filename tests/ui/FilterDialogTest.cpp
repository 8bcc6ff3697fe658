#include "ui/FilterDialog.h"
#include "port/PortSetupValues.h"
#include "ui/PortSetupDialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

PortSetupValues TwoRules() {
    PortSetupValues values;
    values.kind = "TEL";
    values.dataType = "Cluster User";
    values.filterRules = {"reject band=60m,30m mode=DIGI", "accept dx=VK9*,3Y0*"};
    return values;
}

TEST(FilterListModelTest, EditsKeepOrderAndRefuseBadRules) {
    CFilterListModel model(TwoRules());
    EXPECT_EQ(model.Add("ACCEPT mode=cw"), "");
    EXPECT_EQ(model.Add("accept band=61m"),
              "unknown band \"61m\": use 2200m, 630m, 160m, 80m, 60m, 40m, 30m, 20m, 17m, 15m, "
              "12m, 10m, 6m, 4m, 2m, 70cm, 23cm or other");
    EXPECT_EQ(model.Add("accept dx-cont=EUR"),
              "unknown continent \"EUR\": use AF, AN, AS, EU, NA, OC or SA");
    EXPECT_TRUE(model.MoveUp(2));
    EXPECT_FALSE(model.MoveUp(0));
    EXPECT_FALSE(model.MoveDown(2));
    EXPECT_EQ(model.Replace(0, "reject dx=G4ABC"), "");
    model.Remove(2);
    EXPECT_EQ(model.Text(), "reject dx=G4ABC\naccept mode=CW\n");
    EXPECT_EQ(model.SetText("accept band=20m\r\n\nreject mode=FT8\n"),
              "line 3: unknown mode \"FT8\": use CW, DIGI or SSB");
    EXPECT_EQ(model.Text(), "reject dx=G4ABC\naccept mode=CW\n");
    EXPECT_EQ(model.SetText("accept band=20m\r\n\nreject mode=DIGI\n"), "");
    EXPECT_EQ(model.Rules(), (std::vector<std::string>{"accept band=20m", "reject mode=DIGI"}));
    EXPECT_EQ(CFilterListModel::Words("reject band=60m,30m mode=DIGI"),
              "reject 60 m and 30 m digital spots");
}

TEST(FilterDialogTest, ListsWordsAddsAndHandsTheRulesOnAtOk) {
    PortSetupValues values = TwoRules();
    CFilterDialog dialog(values);
    auto* list = dialog.findChild<QListWidget*>("Rules");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text().toStdString(),
              "reject band=60m,30m mode=DIGI\n    reject 60 m and 30 m digital spots");
    dialog.findChild<QLineEdit*>("Rule")->setText("reject mode=FT8");
    dialog.findChild<QPushButton*>("Add")->click();
    EXPECT_EQ(dialog.findChild<QLabel*>("Message")->text().toStdString(),
              "unknown mode \"FT8\": use CW, DIGI or SSB");
    dialog.findChild<QLineEdit*>("Rule")->setText("reject dx=*/MM");
    dialog.findChild<QPushButton*>("Add")->click();
    dialog.findChild<QPushButton*>("Up")->click();
    dialog.findChild<QLineEdit*>("CountryFile")->setText("/srv/cty.dat");
    dialog.accept();
    EXPECT_EQ(values.filterRules,
              (std::vector<std::string>{"reject band=60m,30m mode=DIGI", "reject dx=*/MM",
                                        "accept dx=VK9*,3Y0*"}));
    EXPECT_EQ(values.countryFile, "/srv/cty.dat");
}

TEST(FilterDialogTest, SaysWhatTheRulesActOnSumsThemUpAndShowsWordsWithoutSideScroll) {
    PortSetupValues values = TwoRules();
    values.filterRules.push_back("reject band=160m,80m,60m,40m,30m,20m,17m,15m,12m,10m,6m,4m,2m "
                                 "mode=CW,DIGI,SSB dx-cont=AF,AN,AS,EU,NA,OC,SA skimmer=yes");
    CFilterDialog dialog(values);
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(dialog.findChild<QLabel*>("Scope")->text().toStdString(),
              "These rules act on the spots this port sends out; what it receives is not "
              "filtered.");
    EXPECT_EQ(dialog.findChild<QLabel*>("Summary")->text().toStdString(),
              "1 accept rule, 2 reject rules: a spot is sent out when an accept rule matches it "
              "and no reject rule does.");
    auto* list = dialog.findChild<QListWidget*>("Rules");
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(dialog.findChild<QLabel*>("OrderNote")->text().toStdString(), "Display order only:");
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(CFilterListModel(PortSetupValues{}).Summary(), "No rules: every spot is sent out.");
}

TEST(FilterDialogTest, FiltersButtonOnlyForTypesThatSendSpotsInputOnlyGreysWhatIsSent) {
    struct Row {
        const char* type;
        bool filters;
    };
    for (const Row& row : {Row{"Cluster User", true}, Row{"CT Network", true}, Row{"Direct", false},
                           Row{"PassThru", false}, Row{"WSJT-X", false}}) {
        SCOPED_TRACE(row.type);
        PortSetupValues values = TwoRules();
        values.dataType = row.type;
        CPortSetupDialog dialog(values);
        EXPECT_EQ(dialog.findChild<QPushButton*>("Filters")->isEnabled(), row.filters);
    }
    PortSetupValues values = TwoRules();
    values.dataType = "WSJT-X";
    CPortSetupDialog wsjtx(values);
    for (const char* key : {"Dupes", "KeepAlive", "CRLF", "BlockDashAt", "StripAtPound",
                            "OnlySkimmerCQ", "SkimmerMerge", "SkimmerMergeValues"}) {
        EXPECT_FALSE(wsjtx.Control(key)->isEnabled()) << key;
    }
    EXPECT_TRUE(wsjtx.Control("MyCall")->isEnabled());
}

} // namespace
