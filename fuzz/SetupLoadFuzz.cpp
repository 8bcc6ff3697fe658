// Any bytes as a setup file, loaded as the document loads it, then saved.
#include "document/SpotweaverDoc.h"
#include "port/IPortFactory.h"
#include "port/PortHandler.h"
#include "support/FakePortHost.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace {

class FuzzPortFactory : public IPortFactory {
  public:
    std::unique_ptr<CPortHandler> CreateFromSetup(const std::string&, CSetupFile& setup,
                                                  IPortHost& host, IPortView& view) override {
        return std::make_unique<FakePort>(setup, host, view);
    }
    std::unique_ptr<CPortHandler> CreateNew(const std::string&, IPortHost& host,
                                            IPortView& view) override {
        return std::make_unique<FakePort>(host, view);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ManualEventLoop loop;
    SettableClock clock;
    RecordingUi ui;
    FuzzPortFactory factory;
    CSpotweaverDoc doc(loop, clock, ui, factory);
    doc.Read(std::string_view(reinterpret_cast<const char*>(data), size));
    doc.LoadPorts();
    doc.SaveToString();
    loop.Advance(1000);
    doc.DeleteAllPorts();
    return 0;
}
