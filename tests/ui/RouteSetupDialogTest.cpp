#include "ui/RouteSetupDialog.h"

#include "document/RouteSetupModel.h"
#include "spots/RouterOptions.h"
#include "support/FakePortHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

struct Ports {
    Ports() {
        for (const char* name : {"CON", "TEL", "LOG"}) {
            host.AddPort(name).CreateRouter("Direct", RouterSetup{.options = {.CRLFOption = 2}},
                                            false);
        }
    }
    FakePortHost host;
};

// The rows of the route list, one per line.
std::string Shown(const CRouteSetupDialog& dialog) {
    std::string rows;
    const auto* list = dialog.findChild<QListWidget*>("ExistingRoutes");
    for (int i = 0; i < list->count(); ++i) {
        rows += list->item(i)->text().toStdString() + "\n";
    }
    return rows;
}

std::string Result(const CRouteSetupDialog& dialog) {
    return dialog.findChild<QLabel*>("RouteResult")->text().toStdString();
}

void Click(const CRouteSetupDialog& dialog, const char* button) {
    dialog.findChild<QPushButton*>(button)->click();
}

} // namespace

TEST(RouteSetupDialogTest, AddTwoWayRouteAndTrace_ShowsTheTable) {
    Ports ports;
    int modified = 0;
    CRouteSetupModel model(ports.host, [&] { ++modified; });
    CRouteSetupDialog dialog(model);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Route Setup");
    auto* from = dialog.findChild<QComboBox*>("RouteFrom");
    auto* to = dialog.findChild<QComboBox*>("RouteTo");
    ASSERT_EQ(from->count(), 3);
    EXPECT_EQ(to->itemText(2).toStdString(), "LOG");
    EXPECT_EQ(Shown(dialog), "");

    from->setCurrentText("CON");
    to->setCurrentText("TEL");
    dialog.findChild<QCheckBox*>("TwoWay")->setChecked(true);
    Click(dialog, "AddRoute");
    from->setCurrentText("TEL");
    to->setCurrentText("LOG");
    Click(dialog, "AddTrace");
    EXPECT_EQ(Shown(dialog), "CON \u2192 TEL\nTEL \u2192 LOG (trace)\nTEL \u2192 CON\n");
    EXPECT_EQ(modified, 2);

    from->setCurrentText("TEL");
    Click(dialog, "RemoveTrace");
    EXPECT_EQ(Shown(dialog), "CON \u2192 TEL\nTEL \u2192 CON\n");
}

// The row selected goes, whatever the two lists said before; a route to
// itself is refused; the dialog says what each button did.
TEST(RouteSetupDialogTest, RemoveRoute_TakesTheSelectedRowOnlySelfRouteRefused) {
    Ports ports;
    CRouteSetupModel model(ports.host);
    CRouteSetupDialog dialog(model);
    auto* from = dialog.findChild<QComboBox*>("RouteFrom");
    auto* to = dialog.findChild<QComboBox*>("RouteTo");
    auto* remove = dialog.findChild<QPushButton*>("RemoveRoute");
    for (auto [a, b] : {std::pair{"CON", "TEL"}, std::pair{"TEL", "LOG"}}) {
        from->setCurrentText(a);
        to->setCurrentText(b);
        Click(dialog, "AddRoute");
    }
    EXPECT_EQ(Result(dialog), "Route added: TEL \u2192 LOG");
    EXPECT_FALSE(remove->isEnabled());

    auto* list = dialog.findChild<QListWidget*>("ExistingRoutes");
    list->setCurrentRow(0);
    EXPECT_EQ(from->currentText().toStdString(), "CON");
    EXPECT_EQ(to->currentText().toStdString(), "TEL");
    from->setCurrentText("TEL");
    to->setCurrentText("LOG");
    Click(dialog, "RemoveRoute");
    EXPECT_EQ(Shown(dialog), "TEL \u2192 LOG\n");
    EXPECT_EQ(Result(dialog), "Route removed: CON \u2192 TEL");

    from->setCurrentText("LOG");
    to->setCurrentText("LOG");
    Click(dialog, "AddRoute");
    EXPECT_EQ(Shown(dialog), "TEL \u2192 LOG\n");
    EXPECT_EQ(Result(dialog), "Not added: LOG cannot route to itself");
    EXPECT_FALSE(model.AddRoute("LOG", "LOG", true));
}

TEST(RouteSetupDialogTest, Done_ClosesTheDialog) {
    Ports ports;
    CRouteSetupModel model(ports.host);
    CRouteSetupDialog dialog(model);
    dialog.show();
    Click(dialog, "Done");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}
