// Wide text to the system's ANSI code page.
#pragma once

#include <memory>

// A zero-filled array two bytes longer than the converted text, so the text is
// always terminated; null for null. Characters the code page cannot hold
// become its default character.
std::unique_ptr<char[]> WideToAnsi(const wchar_t* text);
