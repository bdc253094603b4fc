// Turns the text of a control setting into a control hash.
#pragma once

#include <cstdint>
#include <string_view>

// Marks a control text that names no control.
constexpr std::uint32_t NoControl = 0xFFFFFFFF;

// A listed control name gives its hash; otherwise "0x"/"0X" and hexadecimal
// digits give that number, and anything else is read as a signed decimal number
// whose 32-bit pattern is the hash. NoControl when none of these works; a
// number equal to NoControl is therefore a failure too. The text arrives trimmed.
std::uint32_t resolveControl(std::string_view text);
