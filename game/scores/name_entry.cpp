#include "scores/name_entry.h"

namespace {

// Virtual-key codes of a key-down's wParam.
constexpr int kKeyBackspace = 0x08;  // VK_BACK
constexpr int kKeyEnter = 0x0D;      // VK_RETURN
constexpr int kKeySpace = 0x20;      // VK_SPACE
constexpr int kKeyA = 0x41;          // letter keys 'A' to 'Z'
constexpr int kKeyZ = 0x5A;

}  // namespace

NameEntry::NameEntry(int x, int y, int width) : TextLine(x, y, width), name{}, length(0) {}

bool NameEntry::OnKey(int keyCode) {
    if (keyCode == kKeyEnter) return true;
    if (keyCode == kKeyBackspace) {
        if (length > 0) {
            name[--length] = 0;
            SetText(name);
        }
        return false;
    }
    if (length >= kMaxLength) return false;
    char typed;
    if (keyCode == kKeySpace) {
        typed = ' ';
    } else if (keyCode >= kKeyA && keyCode <= kKeyZ) {
        typed = static_cast<char>(keyCode - kKeyA + 'a');
    } else {
        return false;
    }
    name[length++] = typed;
    name[length] = 0;
    SetText(name);
    return false;
}
