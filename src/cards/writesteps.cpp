#include "writesteps.h"

#include <atomic>

namespace cards
{

namespace
{
std::atomic<WriteStepHook> stepHook{nullptr};
}

void setWriteStepHook(WriteStepHook hook)
{
    stepHook.store(hook, std::memory_order_relaxed);
}

void reachedWriteStep(WriteStep step)
{
    if (const WriteStepHook hook = stepHook.load(std::memory_order_relaxed))
        hook(step);
}

} // namespace cards
