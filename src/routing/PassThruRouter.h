#pragma once

#include "routing/Router.h"

// Raw bytes, not lines, from one "PassThru" port to another. Whatever the
// port received is taken at once, line ends and all, and written to the
// other PassThru ports as it came: no prefix, no line end, no trace of the
// output. Lines of any other data type are refused in both directions.
class CPassThruRouter : public CRouter {
  public:
    explicit CPassThruRouter(CRouterPort& port);

    bool ReadsBytes() const override { return true; }

  protected:
    void Convert(const Spot& in, const CRouterPort& source) override;
    bool SkipsTncPrefix() const override { return false; }
};
