#include "document/SetupLoader.h"

#include <gtest/gtest.h>

namespace {

TEST(SetupLoaderTest, KindOfPortType_MatchesLeadingCharacters) {
    EXPECT_EQ(CSetupLoader::KindOfPortType("CON"), "CON");
    EXPECT_EQ(CSetupLoader::KindOfPortType("CONSOLE"), "CON");
    EXPECT_EQ(CSetupLoader::KindOfPortType("COM3"), "COM");
    EXPECT_EQ(CSetupLoader::KindOfPortType("TELNET"), "TEL");
    EXPECT_EQ(CSetupLoader::KindOfPortType("CTE"), "CTE");
    EXPECT_EQ(CSetupLoader::KindOfPortType("RXTEL"), "RXTEL");
    EXPECT_EQ(CSetupLoader::KindOfPortType("FILE"), "FILE");
    EXPECT_EQ(CSetupLoader::KindOfPortType("RXTE"), "");
    EXPECT_EQ(CSetupLoader::KindOfPortType("con"), "");
    EXPECT_EQ(CSetupLoader::KindOfPortType(""), "");
}

} // namespace
