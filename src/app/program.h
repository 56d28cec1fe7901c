#pragma once
// The running program: its shared state and its windows, created on first use and wired together.

#include <QString>
#include <functional>
#include <memory>

#include "app/shared_state.h"

namespace lumarel {

class Form1;
class Form3;
class MIDIOutput;

class Program {
public:
    explicit Program(const QString& programFolder);
    ~Program();

    void show();
    SharedState& state() { return state_; }
    Form1& form1() { return *form1_; }
    // The player window, created hidden on first use.
    Form3& form3();

    // Makes the MIDI output for the player (tests hand in one with fake devices and clock).
    std::function<std::unique_ptr<MIDIOutput>()> makeOutput;

private:
    SharedState state_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form3> form3_;
};

}  // namespace lumarel
