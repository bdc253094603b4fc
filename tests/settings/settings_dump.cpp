// Runs loadSettings in the working directory and prints every setting in a
// stable text form: integers in decimal, the control hash and each float's bits
// in hexadecimal (plus the float's shortest decimal form), labels quoted with
// every byte outside printable ASCII escaped. Two builds that read a file alike
// print the same text.
#include "settings/settings.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

void printLabel(const char* name, const std::string& label) {
    std::string escaped;
    for (char ch : label) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte > 0x7E || ch == '"' || ch == '\\') {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            escaped += hex;
        } else {
            escaped += ch;
        }
    }
    std::printf("%s \"%s\"\n", name, escaped.c_str());
}

void printFloat(const char* name, float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char text[64] = {};
    std::to_chars(text, text + sizeof text - 1, value);
    std::printf("%s 0x%08lX %s\n", name, static_cast<unsigned long>(bits), text);
}

} // namespace

int main() {
    loadSettings();
    std::printf("DragInput 0x%08lX\n", static_cast<unsigned long>(Settings.DragInput));
    printLabel("DragText", Settings.DragText);
    printLabel("DropText", Settings.DropText);
    std::printf("HoldTime %ld\n", static_cast<long>(Settings.HoldTime));
    std::printf("PickupAnimDuration %ld\n", static_cast<long>(Settings.PickupAnimDuration));
    std::printf("PutdownAnimDuration %ld\n", static_cast<long>(Settings.PutdownAnimDuration));
    printFloat("DetectionRadius", Settings.DetectionRadius);
    printFloat("SnapDistFeet", Settings.SnapDistFeet);
    printFloat("SnapDistHead", Settings.SnapDistHead);
    return 0;
}
