#pragma once

#include "routing/Router.h"

// Raw bytes, not lines, from one "PassThru" port to another. Whatever the
// port received is taken at once, line ends and all, and written to the
// other PassThru ports as it came: no prefix, no line end, no trace of the
// output. Lines of any other data type are refused in both directions.
class CPassThruRouter : public CRouter {
  public:
    explicit CPassThruRouter(CPortHandler& port);

    void FromCommand(std::string_view line, CPortHandler& source) override;
    void FromDirect(std::string_view line, CPortHandler& source) override;
    void FromCTNetwork(std::string_view line, CPortHandler& source) override;
    void FromCTUser(std::string_view line, CPortHandler& source) override;
    void FromPassThru(std::string_view bytes, CPortHandler& source) override;
    // Takes every buffered byte, connected or not; true while bytes remain.
    bool ProcessInput() override;

  protected:
    void FromSpotSource(SourceKind kind, std::string_view line, CPortHandler& source) override;
};
