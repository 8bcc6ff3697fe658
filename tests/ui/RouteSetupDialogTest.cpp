#include "ui/RouteSetupDialog.h"

#include "document/RouteSetupModel.h"
#include "spots/RouterOptions.h"
#include "support/FakePortHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
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

std::string Shown(const CRouteSetupDialog& dialog) {
    return dialog.findChild<QPlainTextEdit*>("ExistingRoutes")->toPlainText().toStdString();
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
    EXPECT_EQ(Shown(dialog), "CON=>   \nTEL=>   \nLOG=>   \n");

    from->setCurrentText("CON");
    to->setCurrentText("TEL");
    dialog.findChild<QCheckBox*>("TwoWay")->setChecked(true);
    Click(dialog, "AddRoute");
    from->setCurrentText("TEL");
    to->setCurrentText("LOG");
    Click(dialog, "AddTrace");
    EXPECT_EQ(Shown(dialog), "CON=>TEL   \nTEL=>[Trace=LOG]CON   \nLOG=>   \n");
    EXPECT_EQ(modified, 2);

    from->setCurrentText("CON");
    to->setCurrentText("TEL");
    Click(dialog, "RemoveRoute");
    from->setCurrentText("TEL");
    Click(dialog, "RemoveTrace");
    EXPECT_EQ(Shown(dialog), "CON=>   \nTEL=>   \nLOG=>   \n");
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
