#pragma once

namespace cards
{

// The steps of a file replacement, in the order a save goes through them. A
// test stops a writing process at each one in turn to check that a write
// killed anywhere leaves the old file or the new one, whole.
enum class WriteStep {
    LockTaken,    // the file's lock is held; nothing written yet
    TempCreated,  // the temporary file exists, empty
    PieceWritten, // one more piece of the new content is in the temporary file
    Flushed,      // the temporary file's content is on the disk
    Closed,       // the temporary file is closed
    Replaced,     // the temporary file has taken the file's name
    Cleaned,      // the leftovers of writers killed earlier are removed
};

// Called at every step of every save and lock of this process. Only tests
// set one; without it a step costs the test of a pointer.
using WriteStepHook = void (*)(WriteStep);
void setWriteStepHook(WriteStepHook hook);

// Where the record-file layer reports a step.
void reachedWriteStep(WriteStep step);

} // namespace cards
