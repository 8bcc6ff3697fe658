#pragma once

#include "routing/Router.h"

// The router of the operator's console ("Command"). What is typed there goes
// to every route as direct text; as a destination it sends every line it is
// given unchanged, an empty one too (a line end alone), and refuses only
// pass-through bytes.
class CCommandRouter : public CRouter {
  public:
    explicit CCommandRouter(CPortHandler& port);

    void FromCommand(std::string_view line, CPortHandler& source) override;
    void FromDirect(std::string_view line, CPortHandler& source) override;
    void FromCTNetwork(std::string_view line, CPortHandler& source) override;
    void FromCTUser(std::string_view line, CPortHandler& source) override;

  protected:
    void FromSpotSource(SourceKind kind, std::string_view line, CPortHandler& source) override;
};
