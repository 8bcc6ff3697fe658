#pragma once

#include "platform/IEventLoop.h"
#include "platform/IHostLookup.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// Answers names from a table, later, on the given loop; a name not in the
// table is unknown.
class FakeHostLookup : public IHostLookup {
  public:
    explicit FakeHostLookup(IEventLoop& loop) : m_loop(loop) {}

    Id Start(const std::string& name, Done done) override {
        const Id id = m_nextId++;
        m_pending.emplace(id, std::move(done));
        m_loop.Post([this, id, name] {
            const auto it = m_pending.find(id);
            if (it == m_pending.end()) {
                return;
            }
            const Done done = std::move(it->second);
            m_pending.erase(it);
            const auto known = names.find(name);
            done(known != names.end() ? known->second : std::vector<std::string>());
        });
        return id;
    }

    void Abort(Id id) override { m_pending.erase(id); }

    std::map<std::string, std::vector<std::string>> names;

  private:
    IEventLoop& m_loop;
    std::map<Id, Done> m_pending;
    Id m_nextId = 1;
};
