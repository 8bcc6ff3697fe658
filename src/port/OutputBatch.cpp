#include "port/OutputBatch.h"

#include <algorithm>
#include <vector>

namespace {

// Only the event-loop thread routes, so the batch is one for the program.
int depth = 0;
bool moreWaiting = false;
std::vector<COutputBatch::IOutput*> enlisted;

void FlushAll() {
    // A flush may close an output (a write error), which forgets it: its
    // place is emptied, not erased, while the list is walked.
    for (std::size_t i = 0; i < enlisted.size(); ++i) {
        COutputBatch::IOutput* output = enlisted[i];
        enlisted[i] = nullptr;
        if (output != nullptr) {
            output->FlushBatch();
        }
    }
    enlisted.clear();
}

} // namespace

COutputBatch::Scope::Scope() {
    ++depth;
}

COutputBatch::Scope::~Scope() {
    if (--depth == 0) {
        FlushAll();
        moreWaiting = false;
    }
}

bool COutputBatch::IsOpen() {
    return depth > 0;
}

void COutputBatch::SetMoreWaiting(bool more) {
    moreWaiting = more;
}

bool COutputBatch::MoreWaiting() {
    return moreWaiting;
}

void COutputBatch::Enlist(IOutput& output) {
    enlisted.push_back(&output);
}

void COutputBatch::Forget(IOutput& output) {
    std::replace(enlisted.begin(), enlisted.end(), &output, static_cast<IOutput*>(nullptr));
}
