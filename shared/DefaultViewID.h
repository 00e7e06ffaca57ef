#pragma once

// The view shown wherever no choice is known: before the user has chosen one, and
// by the screen saver when the settings file cannot tell it.
inline constexpr const char* defaultViewID = "crypto_bubbles";
