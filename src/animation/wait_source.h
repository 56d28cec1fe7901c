#pragma once
// The program's message wait as the source of a run's messages.

#include "animation/message_source.h"
#include "platform/message_wait.h"

namespace lumarel {

class WaitSource final : public MessageSource {
public:
    explicit WaitSource(MessageWait& wait) : wait_(wait) {}
    bool running() const override { return wait_.running(); }
    void begin() override { wait_.begin(); }
    void end() override { wait_.end(); }
    WindowMessage get() override { return wait_.get(); }

private:
    MessageWait& wait_;
};

}  // namespace lumarel
