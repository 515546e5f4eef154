// The name proposed for the next point after one was stored.
#pragma once

#include <string>

namespace vel {

// Counts the trailing digits of a point name up by one: A9 -> A10, P009 ->
// P010, PT -> PT0. Names hold at most 8 characters, so an 8-character name
// never grows: its digits wrap to zeros (ABCDEF99 -> ABCDEF00) and a name
// without digits stays as it is.
void nextPointName(std::string& name);

}  // namespace vel
