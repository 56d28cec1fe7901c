#pragma once
// Where a cycling run takes its messages from: the program's message wait, or a script in tests.

#include "platform/window_message.h"

namespace lumarel {

class MessageSource {
public:
    virtual ~MessageSource() = default;
    // A run is taking the messages now; a run never starts inside a run.
    virtual bool running() const { return false; }
    // A run starts / stops taking the program's messages.
    virtual void begin() {}
    virtual void end() {}
    // Blocks until the next message and removes it from the queue.
    virtual WindowMessage get() = 0;
};

}  // namespace lumarel
