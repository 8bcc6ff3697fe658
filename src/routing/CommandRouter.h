#pragma once

#include "routing/Router.h"

// The router of the operator's console ("Command"). What is typed there goes
// to every route as direct text; as a destination it sends every line it is
// given unchanged, an empty one too (a line end alone), and refuses only
// pass-through bytes.
class CCommandRouter : public CRouter {
  public:
    explicit CCommandRouter(CRouterPort& port);

  protected:
    void Convert(const Spot& in, const CRouterPort& source) override;
};
