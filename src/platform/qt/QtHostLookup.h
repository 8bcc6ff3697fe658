#pragma once

#include "platform/IHostLookup.h"

#include <QObject>

#include <map>

class QHostInfo;

// The system's resolver through Qt, answered on the Qt event loop.
class QtHostLookup : public IHostLookup {
  public:
    QtHostLookup();
    ~QtHostLookup() override;

    Id Start(const std::string& name, Done done) override;
    void Abort(Id id) override;

  private:
    void Answer(const QHostInfo& info);

    QObject m_context;
    std::map<Id, Done> m_pending;
};
