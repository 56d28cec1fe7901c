#pragma once
// One message of the program's window system, as a palette-cycling run takes it: what kind it
// was and, for keys, the Windows virtual-key code the run acts on.

namespace lumarel {

// Virtual-key codes (the platform's VK_ values) of the keys a run or a test names.
namespace vk {
inline constexpr int kBackspace = 0x08;
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kShift = 0x10;
inline constexpr int kEscape = 0x1B;
inline constexpr int kSpace = 0x20;
inline constexpr int kLeft = 0x25;
inline constexpr int kRight = 0x27;
inline constexpr int kAdd = 0x6B;       // keypad plus
inline constexpr int kSubtract = 0x6D;  // keypad minus
inline constexpr int kUnmapped = 0xFF;  // a key with no code of its own: none of the run's command keys
}  // namespace vk

struct WindowMessage {
    enum class Kind { KeyDown, KeyUp, Mouse, Other };
    Kind kind = Kind::Other;
    int virtualKey = 0;   // key messages only; never 0 for a key
    bool failed = false;  // no message could be taken
};

}  // namespace lumarel
