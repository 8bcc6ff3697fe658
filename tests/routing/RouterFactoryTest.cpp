#include "routing/RouterFactory.h"

#include "RouterRig.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace rig;

struct TypeRow {
    int code;
    const char* name;
    int initialCrlf;
    // The destination handler its lines go to.
    const char* handler;
};

const std::vector<TypeRow> Types = {
    {0, "Command", 3, "FromCommand"},          {1, "Cluster User", 3, "FromClusterUser"},
    {2, "Cluster Node", 3, "FromClusterNode"}, {3, "Direct", 3, "FromDirect"},
    {4, "CT Network", 0, "FromCTNetwork"},     {5, "CT User", 3, "FromCTUser"},
    {6, "MIRC User", 3, "FromMircUser"},       {7, "Clusse User", 3, "FromClusseUser"},
    {8, "PassThru", 3, "FromPassThru"},        {9, "Spider User", 3, "FromClusterUser"},
};

std::string TypeName(const testing::TestParamInfo<TypeRow>& info) {
    std::string name;
    for (const char* c = info.param.name; *c != '\0'; ++c) {
        if (*c != ' ') {
            name += *c;
        }
    }
    return name;
}

// The handler names of the source kinds, in SourceKind order.
const char* const kHandlers[] = {"FromMircUser",    "FromClusterUser", "FromClusseUser",
                                 "FromClusterNode", "FromCommand",     "FromDirect",
                                 "FromCTNetwork",   "FromCTUser",      "FromPassThru"};

// A destination that notes the kind and line of what it was given.
class RecordingRouter : public CRouter {
  public:
    explicit RecordingRouter(CRouterPort& port) : CRouter(port, DataTypeCode::Direct) {}
    bool ReadsBytes() const override { return true; }
    void SaveSettings(CSetupFile&) const override {}

    std::vector<std::string> calls;

  protected:
    void Convert(const Spot& in, const CRouterPort&) override {
        calls.push_back(std::string(kHandlers[static_cast<int>(in.source)]) + ":" +
                        std::string(in.line));
    }
};

class RouterFactoryType : public testing::TestWithParam<TypeRow> {};

TEST_P(RouterFactoryType, Create_ByExactName_GivesTypeWithInitialOptions) {
    const TypeRow& row = GetParam();
    FakePortHost host;
    FakePort& port = host.AddPort("P");
    std::unique_ptr<CRouter> router = RouterFactory::Create(row.name, port);
    ASSERT_NE(router, nullptr);
    EXPECT_EQ(router->InputType, row.name);
    EXPECT_EQ(router->TypeCode(), row.code);
    EXPECT_EQ(&router->Port(), &port);
    EXPECT_EQ(router->CRLFOption, row.initialCrlf);
    EXPECT_EQ(router->MyCall, "MYCALL");
    EXPECT_EQ(router->AntiLoopPrefix, "  <");
    EXPECT_EQ(router->HopsOut, "99");
    EXPECT_EQ(router->DupeLength(), 0);
    EXPECT_EQ(router->RouteCount(), 0);
    EXPECT_EQ(router->GetTracePort(), nullptr);
    EXPECT_EQ(RouterFactory::NameOf(row.code), row.name);
}

TEST_P(RouterFactoryType, CreateFromSetup_ReadsWhatSaveWroteAndStops) {
    const TypeRow& row = GetParam();
    FakePortHost host;
    FakePort& port = host.AddPort("P");
    std::unique_ptr<CRouter> original = RouterFactory::Create(row.name, port);
    original->MyCall = "G4AAA";
    original->AntiLoopPrefix = " <";
    original->HopsOut = "5";
    original->SetDupeLength(11);
    original->CRLFOption = 2;
    original->BlockDashAtOption = 1;
    original->OnlyPassSkimmerCQOption = 1;
    const std::string saved = Saved(*original);

    std::vector<std::string> lines = Lines(saved);
    ASSERT_EQ(lines.front(), "InputType=" + std::to_string(row.code));
    lines.erase(lines.begin());
    lines.push_back("PortType=TEL");
    CSetupFile setup(lines, host.ui);
    std::unique_ptr<CRouter> loaded = RouterFactory::CreateFromSetup(row.code, setup, port);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->InputType, row.name);
    EXPECT_EQ(Saved(*loaded), saved);
    EXPECT_TRUE(setup.IsNextKey("PortType"));
    EXPECT_EQ(setup.ErrorCount(), 0);
}

TEST_P(RouterFactoryType, ProcessInput_CallsHandlerNamedAfterType) {
    const TypeRow& row = GetParam();
    FakePortHost host;
    FakePort& src = host.AddPort("SRC");
    FakePort& dst = host.AddPort("DST");
    CRouter& router = Give(src, row.name);
    RecordingRouter recorder(dst);
    router.AddRoute(&recorder);
    src.ComeUp();
    host.RouteAll();
    const std::string bytes = std::string(row.name) == "CT Network" ? "hello\xC0\n" : "hello\r";
    src.OnReceive(bytes.data(), static_cast<int>(bytes.size()));
    host.RouteAll();
    const std::string taken = std::string(row.name) == "PassThru" ? "hello\r" : "hello";
    EXPECT_EQ(recorder.calls, std::vector<std::string>{std::string(row.handler) + ":" + taken});
}

INSTANTIATE_TEST_SUITE_P(EveryDataType, RouterFactoryType, testing::ValuesIn(Types), TypeName);

TEST(RouterFactoryTest, Create_UnknownOrMisspelledName_GivesNull) {
    FakePortHost host;
    FakePort& port = host.AddPort("P");
    for (const char* name : {"", "cluster user", "Cluster  User", "Cluster User ", "CT", "IRC"}) {
        EXPECT_EQ(RouterFactory::Create(name, port), nullptr) << name;
    }
}

TEST(RouterFactoryTest, CreateFromSetup_CodeOutOfRange_NullAndNothingRead) {
    FakePortHost host;
    FakePort& port = host.AddPort("P");
    const std::vector<std::string> lines = {"MyCall=G4AAA"};
    CSetupFile setup(lines, host.ui);
    EXPECT_EQ(RouterFactory::CreateFromSetup(13, setup, port), nullptr);
    EXPECT_EQ(RouterFactory::CreateFromSetup(-1, setup, port), nullptr);
    EXPECT_TRUE(setup.IsNextKey("MyCall"));
    EXPECT_EQ(RouterFactory::NameOf(13), "");
    EXPECT_EQ(RouterFactory::NameOf(-1), "");
}

} // namespace
