#include "ui/FilterDialog.h"
#include "port/PortSetupValues.h"
#include "ui/PortSetupDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

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
    EXPECT_EQ(model.Add("accept band=61m"), "unknown band \"61m\"");
    EXPECT_TRUE(model.MoveUp(2));
    EXPECT_FALSE(model.MoveUp(0));
    EXPECT_FALSE(model.MoveDown(2));
    EXPECT_EQ(model.Replace(0, "reject dx=G4ABC"), "");
    model.Remove(2);
    EXPECT_EQ(model.Text(), "reject dx=G4ABC\naccept mode=CW\n");
    EXPECT_EQ(model.SetText("accept band=20m\r\n\nreject mode=FT8\n"),
              "line 3: unknown mode \"FT8\"");
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
              "reject band=60m,30m mode=DIGI    (reject 60 m and 30 m digital spots)");
    dialog.findChild<QLineEdit*>("Rule")->setText("reject mode=FT8");
    dialog.findChild<QPushButton*>("Add")->click();
    EXPECT_EQ(dialog.findChild<QLabel*>("Message")->text().toStdString(), "unknown mode \"FT8\"");
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

TEST(FilterDialogTest, PortSetupDialogHasTheFiltersButton) {
    PortSetupValues values = TwoRules();
    CPortSetupDialog dialog(values);
    EXPECT_NE(dialog.findChild<QPushButton*>("Filters"), nullptr);
}

} // namespace
