// Damaged setup files opened in the desktop window. The loader's message
// boxes are modal, so they are answered here as a user would, one by one;
// the window must come through every file with at most 32 ports, show each
// box once, and close cleanly.

#include "GuiRig.h"
#include "ModalAnswers.h"
#include "app/SetupDamage.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace SetupDamage;

namespace {

// Opens text as a setup file, answering every box; returns the boxes' texts.
std::vector<std::string> OpenAnswering(GuiRig& rig, const std::string& text, int& ports) {
    ModalAnswers answers;
    CGuiDocument* document = rig.frame->OpenDocument(rig.Write("broken.ini", text));
    GuiRig::Settle();
    ports = document != nullptr ? document->Doc().PortCount() : -1;
    if (document != nullptr) {
        document->Close();
        GuiRig::Settle();
    }
    return answers.texts;
}

TEST(BrokenSetupWindowTest, CutAtEveryLine_LoadsWhatComesBeforeTheCut) {
    GuiRig rig;
    const std::vector<std::string> lines = SplitLines(rig.TwoPorts());
    for (std::size_t cut = 0; cut <= lines.size(); ++cut) {
        SCOPED_TRACE("cut after line " + std::to_string(cut));
        int ports = 0;
        const std::vector<std::string> boxes = OpenAnswering(rig, JoinLines(lines, cut), ports);
        EXPECT_GE(ports, 0);
        EXPECT_LE(ports, 2);
        if (cut == lines.size()) {
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(ports, 2);
        }
    }
    EXPECT_TRUE(rig.frame->Documents().empty());
}

TEST(BrokenSetupWindowTest, ThirtyThreePorts_LoadsThirtyTwoAndSaysWhy) {
    GuiRig rig;
    int ports = 0;
    const std::vector<std::string> boxes = OpenAnswering(rig, ManyPorts(33, 33), ports);
    EXPECT_EQ(ports, 32);
    // The route of port 32 to the skipped port 33 goes with it.
    EXPECT_EQ(boxes,
              (std::vector<std::string>{
                  "Setup file: port section 33 is past the limit of 32 ports: its lines are "
                  "skipped",
                  "Setup file: route section 32: dropped Port=33, which names no loaded port "
                  "(ports are numbered 1 to 32: a setup loads at most 32 ports)"}));
}

TEST(BrokenSetupWindowTest, RandomBytesAndDamagedValues_NeverMoreThan32Ports) {
    GuiRig rig;
    const std::vector<std::string> lines = SplitLines(rig.TwoPorts());
    std::mt19937 random(5);
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE("file " + std::to_string(i));
        std::string text;
        if (i % 2 == 0) {
            text.resize(random() % 20000);
            for (char& c : text) {
                c = static_cast<char>(random() & 0xff);
            }
        } else {
            std::vector<std::string> changed = lines;
            for (int k = 0; k < 3; ++k) {
                std::string& line = changed[random() % changed.size()];
                line = line.substr(0, line.find('=') + 1) + (k == 0   ? "-2147483648"
                                                             : k == 1 ? "99999999999"
                                                                      : "");
            }
            text = JoinLines(changed, changed.size());
        }
        int ports = 0;
        OpenAnswering(rig, text, ports);
        EXPECT_GE(ports, 0);
        EXPECT_LE(ports, 32);
    }
}

} // namespace
